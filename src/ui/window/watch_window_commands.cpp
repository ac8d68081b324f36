// The command table of the watch window.
#include <QPushButton>
#include <QToolBar>
#include <QWidget>

#include "core/app/command_ids.h"
#include "core/app/control_ids.h"
#include "core/engine/option_table.h"
#include "core/window/command_states.h"
#include "ui/common/text.h"
#include "ui/setups/setup_io.h"
#include "ui/window/access_view_controller.h"
#include "ui/window/filter_list_controller.h"
#include "ui/window/folder_list_controller.h"
#include "ui/window/watch_window.h"

namespace tavrek::ui {
namespace {

namespace cmd = app::command;
namespace id = app::control;

QPoint BelowWidget(const QWidget& widget) { return widget.mapToGlobal(QPoint(0, widget.height())); }

}  // namespace

bool WatchWindow::HandleCommand(int command, const QString& argument) {
  switch (command) {
    case cmd::kFolderMenu: folders_->ShowMenu(BelowWidget(*Control(id::kFolderMenuButton)), false); return true;
    case cmd::kDoScan: folders_->StartWatch(argument, true); return true;
    case cmd::kAddFolder: folders_->StartWatch(argument, false); return true;
    case cmd::kOpenSetup: LoadSetup(*this, argument, true); return true;
    case cmd::kLogReset: ClearLog(); return true;
    case cmd::kLogFilterMenu: filters_->ShowLogFilterMenu(); return true;
    case cmd::kAddFilter: filters_->OpenFilterDialog({}); return true;
    case cmd::kStartStop: OnStartStop(); return true;
    default: break;
  }
  if (access_->HandleCommand(command) || HandleListCommand(command)) return true;
  if (engine::FindOptionByBox(command)) {
    OnOptionBoxClicked(command);
    return true;
  }
  return false;
}

// A click flips the session's option (the box shows it when told); the
// restart starts the watch even when it was stopped.
void WatchWindow::OnOptionBoxClicked(int boxId) {
  engine::WatchOptions options = session_->options();
  int32_t* option = window::OptionOfBox(options, boxId);
  *option = *option != 0 ? 0 : 1;
  session_->SetOptions(options);
  folders_->StartWatch({}, false);
}

void WatchWindow::OnStartStop() {
  session_->PressStartStop();
  FlushViews();
}

void WatchWindow::RefreshStartStop() { startStop_->setText(ToQString(session_->buttonCaption())); }

void WatchWindow::ClearLog() {
  session_->ClearLog();
  selectedLogRow_ = -1;
  FlushViews();
}

}  // namespace tavrek::ui
