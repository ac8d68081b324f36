// The command table of the watch window.
#include <QCheckBox>
#include <QMenu>
#include <QPushButton>
#include <QToolBar>
#include <QWidget>

#include "core/app/command_ids.h"
#include "core/app/control_ids.h"
#include "ui/app/dialogs.h"
#include "ui/app/text.h"
#include "ui/lists/tree_list.h"
#include "ui/setups/setup_io.h"
#include "ui/window/access_overview_model.h"
#include "ui/window/access_tree_model.h"
#include "ui/window/change_log_model.h"
#include "ui/window/view_settings.h"
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
  if (command >= cmd::kFirstOptionBox && command <= cmd::kLastOptionBox) {
    OnOptionBoxClicked();
    return true;
  }
  return false;
}

void WatchWindow::ReadOptions() {
  auto flag = [this](int boxId) { return optionBoxes_.at(boxId)->isChecked() ? 1 : 0; };
  engine::WatchOptions options;
  options.rename = flag(id::kBoxRename);
  options.write = flag(id::kBoxWrite);
  options.access = flag(id::kBoxAccess);
  options.size = flag(id::kBoxSize);
  options.attributes = flag(id::kBoxAttributes);
  options.security = flag(id::kBoxSecurity);
  options.creation = flag(id::kBoxCreation);
  options.subtree = flag(id::kBoxSubtree);
  options.remove = flag(id::kBoxDelete);
  session_->SetOptions(options);
}

void WatchWindow::OnOptionBoxClicked() {
  ReadOptions();
  StartWatch({}, false);
}

void WatchWindow::OnStartStop() {
  ReadOptions();
  session_->PressStartStop();
  RefreshStartStop();
  FlushViews();
}

void WatchWindow::RefreshStartStop() { startStop_->setText(ToQString(session_->buttonCaption())); }

void WatchWindow::StartWatch(const QString& pathText, bool replace) {
  ReadOptions();
  session_->Start(ToUtf8(pathText), replace);
  RefreshStartStop();
  RefreshFolderList();
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
  WriteGrouped(context_.settings, grouped_);
  if (chosen == choice::kViewGroupedCounts) session_->accessTree().setShowCounts(true);
  if (chosen == choice::kViewGroupedTimes) session_->accessTree().setShowCounts(false);
  ShowGroupedOrSimple();
  FlushViews();
}

void WatchWindow::ResetAccessStatistics() {
  session_->ResetAccessStatistics();
  overviewModel_->Reset();
  treeModel_->Reset();
  selectedAccessRow_ = -1;
}

void WatchWindow::ClearLog() {
  session_->ClearLog();
  logModel_->Reset();
  selectedLogRow_ = -1;
  actions_.at(cmd::kLogExploreSelect)->setEnabled(false);
  actions_.at(cmd::kLogExplore)->setEnabled(false);
}

void WatchWindow::FitTreeColumns(bool withHeader) { tree_->AutoSizeColumns(withHeader); }

}  // namespace tavrek::ui
