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

TEST(WindowLayoutTest, SharesWidthAndHeightAtEverySize) {
  for (auto [width, height] : {std::pair{900, 600}, {1280, 1024}, {1920, 1080}, {700, 420}}) {
    const LayoutInput in = Input(width, height);
    const WindowLayout out = ComputeLayout(in);
    const int w = width - in.accessList.x - in.edge;
    EXPECT_EQ(out.folderList.width, static_cast<int>(w * 0.65)) << width;
    EXPECT_EQ(out.filterList.width, static_cast<int>(w * 0.34)) << width;
    EXPECT_EQ(out.filterList.x, in.accessList.x + out.folderList.width + 5);
    EXPECT_EQ(out.folderList.x, in.folderList.x);  // position and height stay
    EXPECT_EQ(out.folderList.height, in.folderList.height);
    EXPECT_EQ(out.accessList.x, in.accessList.x);
    EXPECT_EQ(out.accessList.right(), width - in.edge);
    // The log is 15 pixels shorter than the access area and starts 20 below its band.
    EXPECT_EQ(out.changeLog.height, out.accessList.height - 15) << height;
    EXPECT_EQ(out.changeLog.y, out.accessList.bottom() + in.edge + 20);
    EXPECT_EQ(out.logToolbar.y, out.accessList.bottom() + in.edge);
    EXPECT_EQ(out.filteredCount.y, in.folderList.bottom() + 3);
  }
}

TEST(WindowLayoutTest, TallToolbarPushesTheLogDownAndTheCounterClearsTheToolbar) {
  for (int width : {600, 720, 900, 1400}) {
    LayoutInput in = Input(width, 600);
    in.toolbarHeight = 28;
    in.accessToolbarWidth = 420;
    const WindowLayout out = ComputeLayout(in);
    EXPECT_EQ(out.logToolbar.height, 28);
    EXPECT_EQ(out.changeLog.y, out.logToolbar.bottom()) << width;
    EXPECT_LE(out.changeLog.bottom(), 600 - in.edge);
    EXPECT_EQ(out.accessToolbar.width, 420);
    // Either right of the toolbar or in a band of its own: never over it.
    const Rect& count = out.filteredCount;
    const bool apart = count.x > out.accessToolbar.right() ||
                       count.bottom() <= out.accessToolbar.y ||
                       count.y >= out.accessToolbar.bottom();
    EXPECT_TRUE(apart || count.width == 0) << width;
    EXPECT_LE(count.right(), width - in.edge);
  }
}

TEST(WindowLayoutTest, TinyWindowGivesEmptyListsNotNegativeOnes) {
  const WindowLayout out = ComputeLayout(Input(50, 40));
  EXPECT_EQ(out.accessList.width, 0);
  EXPECT_EQ(out.accessList.height, 0);
  EXPECT_EQ(out.changeLog.height, 0);
  EXPECT_EQ(out.folderList.width, 0);
}

}  // namespace
}  // namespace tavrek::window
