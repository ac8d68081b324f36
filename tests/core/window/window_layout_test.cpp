#include "core/window/window_layout.h"

#include <gtest/gtest.h>

#include "core/app/control_ids.h"

namespace tavrek::window {
namespace {

LayoutInput Input(int width, int height) {
  const DialogBaseUnits base{6, 13};
  LayoutInput input;
  input.width = width;
  input.height = height;
  input.edge = 2;
  input.accessLabel = ToPixels(FindTemplateControl(app::control::kAccessLabel)->dialogUnits, base);
  input.accessList = ToPixels(FindTemplateControl(app::control::kAccessList)->dialogUnits, base);
  input.folderList = ToPixels(FindTemplateControl(app::control::kFolderList)->dialogUnits, base);
  return input;
}

// How the parts share the window is seen in the window itself
// (window_faults_test); here only what Qt would hide: no negative sizes.
TEST(WindowLayoutTest, TinyWindowGivesEmptyListsNotNegativeOnes) {
  const WindowLayout out = ComputeLayout(Input(50, 40));
  EXPECT_EQ(out.accessList.width, 0);
  EXPECT_EQ(out.accessList.height, 0);
  EXPECT_EQ(out.changeLog.height, 0);
  EXPECT_EQ(out.folderList.width, 0);
}

}  // namespace
}  // namespace tavrek::window
