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
#include "ui/app/main_frame.h"
#include "ui/app/tray_controller.h"
#include "ui/common/dialogs.h"
#include "ui/common/text.h"
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

// Every entry of a menu and its submenus.
QList<QAction*> AllEntries(const QMenu& menu) {
  QList<QAction*> entries;
  for (QAction* entry : menu.actions()) {
    entries << entry;
    if (entry->menu()) entries << AllEntries(*entry->menu());
  }
  return entries;
}

}  // namespace

// The tray's right-click menu is a copy of the "&Datei" popup whose entries
// only carry their command ids: the tray hands the chosen one to the frame.
// (The popup itself would run a chosen command twice.)
void MainFrame::CreateTray() {
  trayMenu_ = new QMenu(this);
  AddMenuItems(trayMenu_, app::FrameMenus().front(), false);
  connect(trayMenu_, &QMenu::aboutToShow, this, &MainFrame::RefreshTrayMenu);
  TrayContext context;
  context.frame = this;
  context.icon = windowIcon();
  context.tip = ToQString(app::kProductName);
  context.menu = [this] { return trayMenu_; };
  context.command = [this](int command) { HandleCommand(command); };
  // With the status bar switched off the word comes as a message box.
  context.status = [this](const QString& text) {
    if (statusBar()->isVisibleTo(this)) {
      statusBar()->showMessage(text);
    } else {
      Dialogs::Message(this, QMessageBox::Information, QString(), text);
    }
  };
  std::unique_ptr<TrayIcon> icon =
      services_.makeTrayIcon ? services_.makeTrayIcon() : std::make_unique<SystemTrayIcon>();
  tray_ = new TrayController(std::move(context), std::move(icon), this);
}

// The copy's check marks are the frame's.
void MainFrame::RefreshTrayMenu() {
  RefreshFolderVerbCheck();
  for (QAction* entry : AllEntries(*trayMenu_)) {
    if (const QAction* own = action(entry->data().toInt())) entry->setChecked(own->isChecked());
  }
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
  // The log's size and disk use, once per tick of the bridge.
  connect(&bridge, &SessionBridge::logRowsAppended, this, &MainFrame::RefreshWatchStatus);
  connect(&bridge, &SessionBridge::logCleared, this, &MainFrame::RefreshWatchStatus);
  connect(&bridge, &SessionBridge::logRowsDropped, this, &MainFrame::RefreshWatchStatus);
}

// Every window's bridge may call; only the active window is shown.
void MainFrame::RefreshWatchStatus() {
  WatchWindow* active = activeWatchWindow();
  if (!active) {
    watchStatus_->setText(ToQString(app::WatchStatusText(false, app::WatchPhase::kStopped, 0)));
    return;
  }
  const engine::WatchSession& session = active->session();
  const engine::ChangeLog& log = session.log();
  watchStatus_->setText(
      ToQString(app::WatchStatusText(true, app::PhaseOf(session), session.overflowCount()) +
                app::LogStatusText(log.size(), log.DiskBytes(), log.droppedRows())));
}

}  // namespace tavrek::ui
