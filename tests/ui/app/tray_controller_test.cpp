#include "ui/app/tray_controller.h"

#include <gtest/gtest.h>

#include <QMainWindow>
#include <QMenu>

#include "ui/common/dialogs.h"
#include "ui/support/pump.h"
#include "ui/support/ui_helpers.h"

namespace tavrek::ui {
namespace {

class TrayControllerTest : public ::testing::Test {
 protected:
  TrayControllerTest() {
    Dialogs::Reset();
    auto icon = std::make_unique<FakeTrayIcon>();
    icon_ = icon.get();
    menu_.addAction(QStringLiteral("&Neu"))->setData(57600);
    TrayContext context;
    context.frame = &frame_;
    context.tip = QString(200, QLatin1Char('x'));
    context.menu = [this] { return &menu_; };
    context.command = [this](int command) { commands_.push_back(command); };
    controller_ = std::make_unique<TrayController>(context, std::move(icon));
    frame_.show();
  }

  QMainWindow frame_;
  QMenu menu_;
  FakeTrayIcon* icon_ = nullptr;
  std::unique_ptr<TrayController> controller_;
  std::vector<int> commands_;
};

TEST_F(TrayControllerTest, ToTrayHidesAndComesBackWithTheIconOnlyInBetween) {
  controller_->ToggleTray();
  EXPECT_TRUE(controller_->InTray());
  EXPECT_FALSE(frame_.isVisible());
  EXPECT_TRUE(icon_->shown);
  EXPECT_EQ(icon_->lastTip.size(), kTrayTipLength);
  EXPECT_TRUE(controller_->keeper().isActive());
  EXPECT_EQ(controller_->keeper().interval(), kTrayKeeperMilliseconds);

  icon_->onLeftClick();  // restores, after the click's own handling
  ASSERT_TRUE(testing::PumpUntil([this] { return !controller_->InTray(); }));
  EXPECT_TRUE(frame_.isVisible());
  EXPECT_FALSE(icon_->shown);
  EXPECT_FALSE(controller_->keeper().isActive());
}

TEST_F(TrayControllerTest, TheKeeperAddsAVanishedIconAgain) {
  controller_->ToggleTray();
  controller_->KeepIconAlive();
  EXPECT_EQ(icon_->adds, 1);  // still there: nothing to do
  icon_->shown = false;       // the panel restarted
  controller_->KeepIconAlive();
  EXPECT_TRUE(icon_->shown);
  EXPECT_EQ(icon_->adds, 2);
}

TEST_F(TrayControllerTest, ARightClickPassesTheChosenCommandOn) {
  controller_->ToggleTray();
  Dialogs::QueueMenuChoice(57600);
  icon_->onRightClick(QPoint(5, 5));
  Dialogs::QueueMenuChoice(0);
  icon_->onRightClick(QPoint(5, 5));
  EXPECT_EQ(commands_, std::vector<int>{57600});
}

TEST(TrayTipTest, ATipIsCutTo127Characters) {
  EXPECT_EQ(TrayController::CutTip(QStringLiteral("Tavrek")), QStringLiteral("Tavrek"));
  EXPECT_EQ(TrayController::CutTip(QString(128, QLatin1Char('a'))).size(), 127);
}

}  // namespace
}  // namespace tavrek::ui
