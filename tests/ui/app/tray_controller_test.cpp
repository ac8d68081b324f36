#include "ui/app/tray_controller.h"

#include <gtest/gtest.h>

#include <QMainWindow>

#include "ui/common/dialogs.h"
#include "ui/support/pump.h"
#include "ui/support/ui_helpers.h"

namespace tavrek::ui {
namespace {

// Hiding, restoring and the icon's menu are driven through the frame in
// frame_desktop_test; here what only the controller does.
TEST(TrayControllerTest, TheIconGetsTheCutTipAndTheKeeperAddsItAgainWhenItVanished) {
  QMainWindow frame;
  auto icon = std::make_unique<FakeTrayIcon>();
  FakeTrayIcon& shown = *icon;
  TrayContext context;
  context.frame = &frame;
  context.tip = QString(200, QLatin1Char('x'));
  TrayController controller(context, std::move(icon));
  frame.show();
  controller.ToggleTray();
  EXPECT_EQ(shown.lastTip.size(), kTrayTipLength);
  controller.KeepIconAlive();
  EXPECT_EQ(shown.adds, 1);  // still there: nothing to do
  shown.shown = false;       // the panel restarted
  controller.KeepIconAlive();
  EXPECT_TRUE(shown.shown);
  EXPECT_EQ(shown.adds, 2);
}

}  // namespace
}  // namespace tavrek::ui
