// The frame on the desktop: the folder verb of the file managers, "To Tray"
// and the status line that tells how the active watch goes.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

#include "core/app/command_ids.h"
#include "core/app/file_manager_actions.h"
#include "core/app/frame_rules.h"
#include "core/app/identity.h"
#include "ui/app/dialogs.h"
#include "ui/app/main_frame.h"
#include "ui/app/text.h"
#include "ui/app/tray_controller.h"
#include "ui/window/session_bridge.h"

namespace tavrek::ui {
namespace {

namespace cmd = app::command;

// Without the user's folders nothing is registered, so nothing is written
// relative to wherever the program runs.
app::FolderVerbResult Verb(app::FolderVerbMode mode, const FrameServices& services) {
  if (services.desktop.dataHome.empty()) {
    return {0, mode == app::FolderVerbMode::Register ? app::VerbRegistrationFailure() : std::string()};
  }
  return app::FolderVerb(mode, services.desktop, services.programPath);
}

}  // namespace

// The tray's right-click menu is the frame's "&Datei" popup itself, whose
// entries carry their command ids.
void MainFrame::CreateTray() {
  TrayContext context;
  context.frame = this;
  context.icon = windowIcon();
  context.tip = ToQString(app::kProductName);
  context.menu = [this]() -> QMenu* {
    const QList<QAction*> popups = menuBar()->actions();
    return popups.isEmpty() ? nullptr : popups.front()->menu();
  };
  context.command = [this](int command) { HandleCommand(command); };
  context.status = [this](const QString& text) { statusBar()->showMessage(text); };
  std::unique_ptr<TrayIcon> icon =
      services_.makeTrayIcon ? services_.makeTrayIcon() : std::make_unique<SystemTrayIcon>();
  tray_ = new TrayController(std::move(context), std::move(icon), this);
}

void MainFrame::RefreshFolderVerbCheck() {
  action(cmd::kShellMenu)->setChecked(Verb(app::FolderVerbMode::Query, services_).value == 1);
}

// Registers the verb when it is absent, else removes it; the check mark then
// shows what the file managers now find.
void MainFrame::ToggleFolderVerb() {
  const bool present = Verb(app::FolderVerbMode::Query, services_).value == 1;
  const app::FolderVerbResult result =
      Verb(present ? app::FolderVerbMode::Remove : app::FolderVerbMode::Register, services_);
  if (!result.failure.empty()) {
    Dialogs::Message(this, QMessageBox::NoIcon, QString(), ToQString(result.failure));
  }
  RefreshFolderVerbCheck();
}

void MainFrame::ListenToWindow(WatchWindow* window) {
  SessionBridge& bridge = window->bridge();
  connect(&bridge, &SessionBridge::watchingChanged, this, &MainFrame::RefreshWatchStatus);
  connect(&bridge, &SessionBridge::overflowCountChanged, this, &MainFrame::RefreshWatchStatus);
}

// Every window's bridge may call; only the active window is shown.
void MainFrame::RefreshWatchStatus() {
  WatchWindow* active = activeWatchWindow();
  const std::string text =
      active ? app::WatchStatusText(true, active->session().watching(), active->session().overflowCount())
             : app::WatchStatusText(false, false, 0);
  watchStatus_->setText(ToQString(text));
}

}  // namespace tavrek::ui
