// The command table of the watch window.
#include <QMenu>
#include <QPushButton>
#include <QToolBar>
#include <QWidget>

#include "core/app/command_ids.h"
#include "core/app/control_ids.h"
#include "core/engine/option_table.h"
#include "core/window/command_states.h"
#include "core/window/view_settings.h"
#include "ui/common/dialogs.h"
#include "ui/common/text.h"
#include "ui/lists/tree_list.h"
#include "ui/setups/setup_io.h"
#include "ui/window/access_overview_model.h"
#include "ui/window/access_tree_model.h"
#include "ui/window/change_log_model.h"
#include "ui/window/watch_window.h"

namespace tavrek::ui {
namespace {

namespace cmd = app::command;
namespace id = app::control;
namespace choice = app::menu_choice;

QPoint BelowWidget(const QWidget& widget) { return widget.mapToGlobal(QPoint(0, widget.height())); }

}  // namespace

bool WatchWindow::HandleCommand(int command, const QString& argument) {
  switch (command) {
    case cmd::kFolderMenu: ShowFolderMenu(BelowWidget(*Control(id::kFolderMenuButton)), false); return true;
    case cmd::kDoScan: StartWatch(argument, true); return true;
    case cmd::kAddFolder: StartWatch(argument, false); return true;
    case cmd::kOpenSetup: LoadSetup(*this, argument, true); return true;
    case cmd::kAccessView: ShowViewMenu(); return true;
    case cmd::kAccessReset: ResetAccessStatistics(); return true;
    case cmd::kLogReset: ClearLog(); return true;
    case cmd::kLogFilterMenu: ShowLogFilterMenu(); return true;
    case cmd::kAddFilter: OpenFilterDialog({}); return true;
    case cmd::kStartStop: OnStartStop(); return true;
    case cmd::kFitColumnsWithHeader: FitTreeColumns(true); return true;
    case cmd::kFitColumns: FitTreeColumns(false); return true;
    default: break;
  }
  if (HandleListCommand(command)) return true;
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
  StartWatch({}, false);
}

void WatchWindow::OnStartStop() {
  session_->PressStartStop();
  FlushViews();
}

void WatchWindow::RefreshStartStop() { startStop_->setText(ToQString(session_->buttonCaption())); }

void WatchWindow::StartWatch(const QString& pathText, bool replace) {
  session_->Start(ToUtf8(pathText), replace);
  FlushViews();
}

void WatchWindow::ShowViewMenu() {
  QMenu menu(this);
  menu.addAction(QStringLiteral("Einfache Übersicht der letzten Zugriffe"))->setData(choice::kViewSimple);
  menu.addAction(QStringLiteral("Gruppierung (Zugriffsanzahlanzeige)"))->setData(choice::kViewGroupedCounts);
  menu.addAction(QStringLiteral("Gruppierung (Zugriffszeitanzeige)"))->setData(choice::kViewGroupedTimes);
  QWidget* button = accessToolbar_->widgetForAction(actions_.at(cmd::kAccessView));
  const int chosen = Dialogs::PopupMenu(menu, BelowWidget(button ? *button : *accessToolbar_));
  if (chosen == choice::kNone) return;
  grouped_ = chosen != choice::kViewSimple;
  window::SaveGrouped(context_.settings, grouped_);
  if (chosen != choice::kViewSimple) session_->SetAccessShowCounts(chosen == choice::kViewGroupedCounts);
  ShowGroupedOrSimple();
  FlushViews();
}

void WatchWindow::ResetAccessStatistics() {
  session_->ResetAccessStatistics();
  selectedAccessRow_ = -1;
  FlushViews();
}

void WatchWindow::ClearLog() {
  session_->ClearLog();
  selectedLogRow_ = -1;
  FlushViews();
}

void WatchWindow::FitTreeColumns(bool withHeader) { tree_->AutoSizeColumns(withHeader); }

}  // namespace tavrek::ui
