// The watch window's change log going out: export, Explore, its menu, and
// the favourites commands the window performs.
#include <QHeaderView>
#include <QTableView>

#include "core/app/command_ids.h"
#include "core/lists/change_log_list.h"
#include "ui/common/text.h"
#include "ui/lists/explore_path.h"
#include "ui/lists/export_dialog.h"
#include "ui/lists/list_menu.h"
#include "ui/setups/favourite_commands.h"
#include "ui/window/change_log_model.h"
#include "ui/window/filter_list_controller.h"
#include "ui/window/view_look.h"
#include "ui/window/watch_window.h"

namespace tavrek::ui {
namespace {

namespace cmd = app::command;

}  // namespace

void WatchWindow::ConnectLogMenu() {
  connect(log_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    ShowListMenu(*log_, window::ListKind::Log, engine::kLogColumnName, log_->viewport()->mapToGlobal(at),
                 LogMenuHooks());
  });
}

ListMenuHooks WatchWindow::LogMenuHooks() {
  ListMenuHooks hooks;
  hooks.settings = context_.settings;
  hooks.exportList = [this] { ExportLog(ExportName("_Log")); };
  hooks.filterPath = [this](const QString& path) { filters_->OpenFilterDialog(path); };
  AddProcessHooks(hooks);
  return hooks;
}

void WatchWindow::ExportLog(const QString& name) {
  FlushViews();
  ExportList(this, context_.settings, lists::ChangeLogList(session_->log(), LayoutOf(*log_->horizontalHeader())),
             name);
}

void WatchWindow::ExploreLog(bool select) { ExplorePath(MarkedPath(*log_, engine::kLogColumnName), select); }

bool WatchWindow::HandleListCommand(int command) {
  switch (command) {
    case cmd::kLogExport: ExportLog(ExportName("")); return true;
    case cmd::kLogExploreSelect: ExploreLog(true); return true;
    case cmd::kLogExplore: ExploreLog(false); return true;
    case cmd::kAddToFavourites: AddToFavourites(*this, context_.settings); return true;
    case cmd::kDesktopShortcut: SaveToDesktop(*this, context_.settings); return true;
    default: return false;
  }
}

}  // namespace tavrek::ui
