#include "ui/window/access_view_controller.h"

#include <QHeaderView>
#include <QMenu>
#include <QTableView>
#include <QToolBar>

#include "core/app/command_ids.h"
#include "core/engine/statistics/access_overview.h"
#include "core/lists/access_lists.h"
#include "core/window/view_settings.h"
#include "ui/common/dialogs.h"
#include "ui/lists/explore_path.h"
#include "ui/lists/export_dialog.h"
#include "ui/lists/list_menu.h"
#include "ui/lists/tree_list.h"
#include "ui/window/access_overview_model.h"
#include "ui/window/access_tree_model.h"
#include "ui/window/session_bridge.h"
#include "ui/window/view_look.h"

namespace tavrek::ui {
namespace {

namespace cmd = app::command;
namespace choice = app::menu_choice;

constexpr int kImageColumnWidth = 30;
constexpr int kNameColumnWidth = 170;
constexpr int kSlotColumnWidth = 80;
const QSize kRowIconSize(16, 15);

}  // namespace

AccessViewController::AccessViewController(QWidget& owner, AccessToolbar toolbar, engine::WatchSession& session,
                                           SessionBridge& bridge, app::SettingsStore* settings)
    : QObject(&owner), owner_(owner), toolbar_(toolbar), session_(session), bridge_(bridge), settings_(settings) {
  CreateViews();
  SizeColumns();
  const auto viewSettings = window::ViewSettings::Load(settings_);
  list_->setShowGrid(viewSettings.accessGridLines);
  tree_->setGridLines(viewSettings.treeGridLines);
  grouped_ = viewSettings.grouped;
  ConnectSession();
  ConnectViews();
  ShowGroupedOrSimple();
}

AccessViewController::~AccessViewController() {
  delete list_;
  delete tree_;
}

void AccessViewController::CreateViews() {
  list_ = new QTableView(&owner_);
  overviewModel_ = new AccessOverviewModel(session_.accessOverview(), this);
  list_->setModel(overviewModel_);
  PrepareTable(*list_);
  list_->horizontalHeader()->setSectionsMovable(true);
  list_->setIconSize(kRowIconSize);
  tree_ = new TreeList(&owner_);
  treeModel_ = new AccessTreeModel(session_.accessTree(), this);
  tree_->setModel(treeModel_);
  tree_->setRootIsDecorated(true);
  tree_->setTabKeyNavigation(false);
  tree_->setContextMenuPolicy(Qt::CustomContextMenu);
  // Sorting is not offered: the grouped tree says it sorted and moves nothing.
  tree_->setSortHook([](int) { return true; });
}

void AccessViewController::SizeColumns() {
  const QFont& font = owner_.font();
  list_->setColumnWidth(0, kImageColumnWidth);
  list_->setColumnWidth(1, Scaled(kNameColumnWidth, font));
  tree_->setColumnWidth(0, Scaled(kNameColumnWidth, font));
  for (int slot = 0; slot < engine::kSlotCount; ++slot) {
    list_->setColumnWidth(engine::kOverviewColumnFirstSlot + slot, Scaled(kSlotColumnWidth, font));
    tree_->setColumnWidth(1 + slot, Scaled(kSlotColumnWidth, font));
  }
}

void AccessViewController::ConnectSession() {
  connect(&bridge_, &SessionBridge::accessStatisticsCleared, overviewModel_, &AccessOverviewModel::Reset);
  connect(&bridge_, &SessionBridge::accessStatisticsCleared, treeModel_, &AccessTreeModel::Reset);
  connect(&bridge_, &SessionBridge::accessStatisticsChanged, overviewModel_, &AccessOverviewModel::Flush);
  connect(&bridge_, &SessionBridge::accessStatisticsChanged, treeModel_, &AccessTreeModel::Flush);
  connect(&bridge_, &SessionBridge::accessTextsChanged, treeModel_, &AccessTreeModel::RefreshAll);
}

void AccessViewController::ConnectViews() {
  connect(list_, &QWidget::customContextMenuRequested, this, &AccessViewController::OpenListMenu);
  connect(tree_, &QWidget::customContextMenuRequested, this, &AccessViewController::OpenTreeMenu);
  connect(list_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            emit statesChanged();
            if (current.isValid()) emit currentPathChanged(overviewModel_->Path(current.row()));
          });
  for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(list_), static_cast<QAbstractItemView*>(tree_)}) {
    // The explore commands follow the selected row or node as it changes.
    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &AccessViewController::statesChanged);
    connect(view->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &AccessViewController::statesChanged);
  }
}

bool AccessViewController::treeNodeSelected() const { return HasSelectedCurrentRow(*tree_); }

bool AccessViewController::listRowSelected() const { return HasSelectedCurrentRow(*list_); }

bool AccessViewController::HandleCommand(int command) {
  switch (command) {
    case cmd::kAccessView: ShowViewMenu(); return true;
    case cmd::kAccessReset: Reset(); return true;
    case cmd::kAccessExport: Export(ExportName("")); return true;
    case cmd::kAccessExploreSelect: Explore(true); return true;
    case cmd::kAccessExplore: Explore(false); return true;
    case cmd::kFitColumnsWithHeader: tree_->AutoSizeColumns(true); return true;
    case cmd::kFitColumns: tree_->AutoSizeColumns(false); return true;
    default: return false;
  }
}

void AccessViewController::OpenListMenu(const QPoint& at) {
  ListMenuHooks hooks;
  hooks.settings = settings_;
  hooks.exportList = [this] { ExportList(ExportName("_Zugriffe")); };
  hooks.filterPath = [this](const QString& path) { emit filterRequested(path); };
  ShowListMenu(*list_, window::ListKind::Access, engine::kOverviewColumnPath, list_->viewport()->mapToGlobal(at),
               hooks);
}

void AccessViewController::OpenTreeMenu(const QPoint& at) {
  TreeMenuHooks hooks;
  hooks.settings = settings_;
  hooks.exportTree = [this] { Export(ExportName("")); };
  hooks.nodePath = [this](const QModelIndex& node) { return session_.accessTree().NodePath(treeModel_->NodeOf(node)); };
  hooks.passOn = [this](int command) { emit commandPassed(command); };
  ShowTreeMenu(*tree_, at, hooks);
}

void AccessViewController::ShowViewMenu() {
  QMenu menu(&owner_);
  menu.addAction(QStringLiteral("Einfache Übersicht der letzten Zugriffe"))->setData(choice::kViewSimple);
  menu.addAction(QStringLiteral("Gruppierung (Zugriffsanzahlanzeige)"))->setData(choice::kViewGroupedCounts);
  menu.addAction(QStringLiteral("Gruppierung (Zugriffszeitanzeige)"))->setData(choice::kViewGroupedTimes);
  QWidget* button = toolbar_.toolbar->widgetForAction(toolbar_.viewAction);
  const QWidget& below = button ? *button : *toolbar_.toolbar;
  const int chosen = Dialogs::PopupMenu(menu, below.mapToGlobal(QPoint(0, below.height())));
  if (chosen == choice::kNone) return;
  grouped_ = chosen != choice::kViewSimple;
  window::SaveGrouped(settings_, grouped_);
  if (chosen != choice::kViewSimple) session_.SetAccessShowCounts(chosen == choice::kViewGroupedCounts);
  ShowGroupedOrSimple();
  bridge_.Tick();
}

void AccessViewController::ShowGroupedOrSimple() {
  list_->setVisible(!grouped_);
  tree_->setVisible(grouped_);
  emit statesChanged();
}

void AccessViewController::Reset() {
  session_.ResetAccessStatistics();
  bridge_.Tick();
}

void AccessViewController::ExportList(const QString& name) {
  bridge_.Tick();
  const lists::ListColumns layout = LayoutOf(*list_->horizontalHeader());
  ui::ExportList(&owner_, settings_, lists::AccessOverviewList(session_.accessOverview(), layout), name);
}

void AccessViewController::Export(const QString& name) {
  if (!grouped_) {
    ExportList(name);
    return;
  }
  bridge_.Tick();
  auto isExpanded = [this](lists::TreeNodeId node) {
    return tree_->isExpanded(treeModel_->IndexOf(static_cast<engine::NodeId>(node)));
  };
  const lists::ListColumns layout = LayoutOf(*tree_->header());
  ExportTree(&owner_, settings_, lists::AccessTreeList(session_.accessTree(), isExpanded, layout), name);
}

void AccessViewController::Explore(bool select) {
  if (grouped_) {
    const QModelIndex node = tree_->currentIndex();
    if (!node.isValid()) return;
    ExplorePath(session_.accessTree().NodePath(treeModel_->NodeOf(node)), select);
    return;
  }
  ExplorePath(MarkedPath(*list_, engine::kOverviewColumnPath), select);
}

}  // namespace tavrek::ui
