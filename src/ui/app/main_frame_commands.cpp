// The frame's command routing and its own commands.
#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>

#include "core/app/command_ids.h"
#include "core/app/frame_rules.h"
#include "core/app/settings_store.h"
#include "ui/app/about_box.h"
#include "ui/app/frame_tab_bar.h"
#include "ui/app/main_frame.h"
#include "ui/app/tray_controller.h"
#include "ui/setups/favourite_commands.h"

namespace tavrek::ui {
namespace {

namespace cmd = app::command;

}  // namespace

bool MainFrame::HandleCommand(int command, const QString& argument) {
  if (app::IsFrameCommand(command) && HandleOwnCommand(command)) return true;
  WatchWindow* window = activeWatchWindow();
  return window && window->HandleCommand(command, argument);
}

// The favourites and the magnifier are not here: they answer "not handled"
// and so reach the active window, which leaves them too.
bool MainFrame::HandleOwnCommand(int command) {
  if (app::IsDriveCommand(command)) {
    OpenDrive(command);
    return true;
  }
  switch (command) {
    case cmd::kNewWindow: NewWatchWindow(); return true;
    case cmd::kNewStartHelp:
    case cmd::kStartHelpAlias:
    case cmd::kStartHelp: OpenStartHelp(); return true;
    case cmd::kExit: close(); return true;
    case cmd::kHelp: RunHelp(); return true;
    case cmd::kAbout: ShowAboutBox(this); return true;
    case cmd::kManageFavourites: ManageFavourites(this, services_.windowContext.settings); return true;
    case cmd::kStartMaximised: ToggleSetting(command, app::FrameFlag::StartMaximised); return true;
    case cmd::kShowStartHelp: ToggleSetting(command, app::FrameFlag::StartHelp); return true;
    case cmd::kOpenDocument: ChooseAndOpenDocument(); return true;
    case cmd::kSaveDocument: SaveActiveDocument(); return true;
    case cmd::kShellMenu: ToggleFolderVerb(); return true;
    case cmd::kToTray: tray_->ToggleTray(); return true;
    case cmd::kFullScreen:
      if (fullScreen_) LeaveFullScreen(); else EnterFullScreen();
      return true;
    default: break;
  }
  return HandleViewCommand(command) || HandleWindowCommand(command);
}

bool MainFrame::HandleViewCommand(int command) {
  switch (command) {
    case cmd::kToggleToolbar: ToggleBar(command, driveBar_, app::FrameFlag::Toolbar); return true;
    case cmd::kToggleTabBar: ToggleBar(command, tabBar_, app::FrameFlag::TabBar); return true;
    case cmd::kToggleStatusBar: ToggleBar(command, statusBar(), app::FrameFlag::StatusBar); return true;
    default: return false;
  }
}

bool MainFrame::HandleWindowCommand(int command) {
  QMdiSubWindow* active = area_->currentSubWindow();
  switch (command) {
    case cmd::kCloseWindow:
      if (active) active->close();
      return true;
    case cmd::kCloseAllWindows: area_->closeAllSubWindows(); return true;
    case cmd::kToggleMaximised:
      if (active && active->isMaximized()) active->showNormal();
      else if (active) active->showMaximized();
      return true;
    case cmd::kNextWindow: area_->activateNextSubWindow(); return true;
    case cmd::kPreviousWindow: area_->activatePreviousSubWindow(); return true;
    case cmd::kCascade: area_->cascadeSubWindows(); return true;
    case cmd::kTileHorizontally: Tile(Qt::Vertical); return true;
    case cmd::kTileVertically: Tile(Qt::Horizontal); return true;
    case cmd::kArrangeIcons: ArrangeMinimised(); return true;
    default: return false;
  }
}

void MainFrame::ToggleSetting(int command, app::FrameFlag flag) {
  app::SettingsStore& settings = *services_.windowContext.settings;
  const bool on = !app::LoadFrameFlag(settings, flag);
  app::SaveFrameFlag(settings, flag, on);
  action(command)->setChecked(on);
}

void MainFrame::ToggleBar(int command, QWidget* bar, app::FrameFlag flag) {
  const bool shown = !bar->isVisibleTo(this);
  bar->setVisible(shown);
  app::SaveFrameFlag(*services_.windowContext.settings, flag, shown);
  action(command)->setChecked(shown);
}

void MainFrame::OpenDrive(int command) {
  const QString path = driveBar_->PathOf(command);
  if (!path.isEmpty()) OpenFolder(path, false);
}

void MainFrame::RunHelp() {
  if (services_.startHelpRun) services_.startHelpRun();
}

}  // namespace tavrek::ui
