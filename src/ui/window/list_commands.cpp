// The watch window's lists going out: export, Explore, the list menus and
// the favourites commands the window performs.
#include <QHeaderView>
#include <QTableView>

#include "core/app/command_ids.h"
#include "core/app/identity.h"
#include "core/engine/statistics/access_overview.h"
#include "core/lists/access_lists.h"
#include "core/lists/change_log_list.h"
#include "ui/common/text.h"
#include "ui/lists/explore_path.h"
#include "ui/lists/export_dialog.h"
#include "ui/lists/list_menu.h"
#include "ui/lists/tree_list.h"
#include "ui/setups/favourite_commands.h"
#include "ui/window/access_overview_model.h"
#include "ui/window/access_tree_model.h"
#include "ui/window/change_log_model.h"
#include "ui/window/watch_window.h"

namespace tavrek::ui {
namespace {

namespace cmd = app::command;

// The export name of a list: the product name and what the list holds.
QString ExportName(const char* suffix) { return ToQString(app::kProductName) + QLatin1StringView(suffix); }

// The columns as the view shows them now: titles, widths, order.
lists::ListColumns LayoutOf(const QHeaderView& header) {
  lists::ListColumns layout;
  for (int column = 0; column < header.count(); ++column) {
    const QString title = header.model()->headerData(column, Qt::Horizontal).toString();
    const int width = header.isSectionHidden(column) ? 0 : header.sectionSize(column);
    layout.columns.push_back({ToUtf8(title), width});
  }
  for (int position = 0; position < header.count(); ++position) {
    layout.displayOrder.push_back(header.logicalIndex(position));
  }
  return layout;
}

}  // namespace

void WatchWindow::ConnectListMenus() {
  connect(log_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    ShowListMenu(*log_, window::ListKind::Log, engine::kLogColumnName, log_->viewport()->mapToGlobal(at),
                 ListMenuHooksFor(false));
  });
  connect(accessList_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    ShowListMenu(*accessList_, window::ListKind::Access, engine::kOverviewColumnPath,
                 accessList_->viewport()->mapToGlobal(at), ListMenuHooksFor(true));
  });
  connect(tree_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    TreeMenuHooks hooks;
    hooks.settings = context_.settings;
    hooks.exportTree = [this] { ExportAccess(ExportName("")); };
    hooks.nodePath = [this](const QModelIndex& node) {
      return session_->accessTree().NodePath(treeModel_->NodeOf(node));
    };
    hooks.passOn = [this](int command) { HandleCommand(command); };
    ShowTreeMenu(*tree_, at, hooks);
  });
}

ListMenuHooks WatchWindow::ListMenuHooksFor(bool access) {
  ListMenuHooks hooks;
  hooks.settings = context_.settings;
  hooks.exportList = [this, access] {
    if (access) {
      ExportAccessList(ExportName("_Zugriffe"));
    } else {
      ExportLog(ExportName("_Log"));
    }
  };
  hooks.filterPath = [this](const QString& path) { OpenFilterDialog(path); };
  if (!access) AddProcessHooks(hooks);
  return hooks;
}

void WatchWindow::ExportLog(const QString& name) {
  FlushViews();
  ExportList(this, context_.settings, lists::ChangeLogList(session_->log(), LayoutOf(*log_->horizontalHeader())),
             name);
}

void WatchWindow::ExportAccessList(const QString& name) {
  FlushViews();
  const lists::ListColumns layout = LayoutOf(*accessList_->horizontalHeader());
  ExportList(this, context_.settings, lists::AccessOverviewList(session_->accessOverview(), layout), name);
}

void WatchWindow::ExportAccess(const QString& name) {
  if (!grouped_) {
    ExportAccessList(name);
    return;
  }
  FlushViews();
  auto isExpanded = [this](lists::TreeNodeId node) {
    return tree_->isExpanded(treeModel_->IndexOf(static_cast<engine::NodeId>(node)));
  };
  const lists::ListColumns layout = LayoutOf(*tree_->header());
  ExportTree(this, context_.settings, lists::AccessTreeList(session_->accessTree(), isExpanded, layout), name);
}

void WatchWindow::ExploreLog(bool select) { ExplorePath(MarkedPath(*log_, engine::kLogColumnName), select); }

void WatchWindow::ExploreAccess(bool select) {
  if (grouped_) {
    const QModelIndex node = tree_->currentIndex();
    if (!node.isValid()) return;
    ExplorePath(session_->accessTree().NodePath(treeModel_->NodeOf(node)), select);
    return;
  }
  ExplorePath(MarkedPath(*accessList_, engine::kOverviewColumnPath), select);
}

bool WatchWindow::HandleListCommand(int command) {
  switch (command) {
    case cmd::kLogExport: ExportLog(ExportName("")); return true;
    case cmd::kAccessExport: ExportAccess(ExportName("")); return true;
    case cmd::kLogExploreSelect: ExploreLog(true); return true;
    case cmd::kLogExplore: ExploreLog(false); return true;
    case cmd::kAccessExploreSelect: ExploreAccess(true); return true;
    case cmd::kAccessExplore: ExploreAccess(false); return true;
    case cmd::kAddToFavourites: AddToFavourites(*this, context_.settings); return true;
    case cmd::kDesktopShortcut: SaveToDesktop(*this, context_.settings); return true;
    default: return false;
  }
}

}  // namespace tavrek::ui
