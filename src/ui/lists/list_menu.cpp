#include "ui/lists/list_menu.h"

#include <QMenu>
#include <QTableView>
#include <filesystem>

#include "core/app/command_ids.h"
#include "core/window/view_settings.h"
#include "ui/common/dialogs.h"
#include "ui/common/text.h"
#include "ui/lists/explore_path.h"
#include "ui/lists/list_behaviour.h"
#include "ui/lists/raw_path_role.h"
#include "ui/lists/tree_list.h"

namespace tavrek::ui {
namespace {

namespace cmd = app::command;
namespace entry = app::list_menu;

window::GridLinesList GridLinesOf(window::ListKind kind) {
  return kind == window::ListKind::Log ? window::GridLinesList::Log : window::GridLinesList::Access;
}

void Call(const std::function<void()>& hook) {
  if (hook) hook();
}

int Run(QWidget& owner, const std::vector<window::MenuEntry>& entries, const QPoint& globalPoint) {
  QMenu menu(&owner);
  FillMenu(menu, entries);
  return Dialogs::PopupMenu(menu, globalPoint);
}

void ActOnList(QTableView& list, window::ListKind kind, const std::string& path,
               const std::optional<std::string>& process, int chosen, const ListMenuHooks& hooks) {
  switch (chosen) {
    case cmd::kToggleGridLines: window::SaveGridLines(hooks.settings, GridLinesOf(kind), ToggleGridLines(list)); break;
    case cmd::kFitColumnsWithHeader: AutoSizeColumns(list, true); break;
    case cmd::kFitColumns: AutoSizeColumns(list, false); break;
    case cmd::kListExport: Call(hooks.exportList); break;
    case entry::kExplorePath: ExplorePath(path, false); break;
    case entry::kFilterPath:
      if (hooks.filterPath) hooks.filterPath(ToQString(window::FilterPatternOf(path)));
      break;
    case entry::kFilterProcess:
      if (hooks.filterProcess && process) hooks.filterProcess(ToQString(window::ProcessPatternOf(*process)));
      break;
    default: break;
  }
}

void ActOnTree(TreeList& tree, const QModelIndex& node, const std::string& path, int chosen,
               const TreeMenuHooks& hooks) {
  if (const std::optional<int> levels = window::ExpandLevels(chosen)) {
    const bool all = *levels == window::kExpandAllLevels;
    if (all) tree.setUpdatesEnabled(false);
    ExpandToLevel(tree, node, *levels);
    if (all) tree.setUpdatesEnabled(true);
    return;
  }
  switch (chosen) {
    case cmd::kToggleGridLines: window::SaveGridLines(hooks.settings, window::GridLinesList::Tree, tree.ToggleGridLines()); break;
    case entry::kTransparentMarking: tree.setTransparentMarking(!tree.transparentMarking()); break;
    case cmd::kListExport: Call(hooks.exportTree); break;
    case entry::kExploreNode: ExplorePath(path + '/', false); break;
    case 0: break;
    default:
      if (hooks.passOn) hooks.passOn(chosen);
      break;
  }
}

}  // namespace

void FillMenu(QMenu& menu, const std::vector<window::MenuEntry>& entries) {
  for (const window::MenuEntry& item : entries) {
    if (item.id == 0) {
      menu.addSeparator();
      continue;
    }
    QAction* action = menu.addAction(ToQString(item.text));
    action->setData(item.id);
    action->setEnabled(item.enabled);
    action->setCheckable(item.checked);
    action->setChecked(item.checked);
    if (item.isDefault) menu.setDefaultAction(action);
  }
}

std::string MarkedPath(const QTableView& list, int pathColumn) {
  const QModelIndex current = list.currentIndex();
  if (!current.isValid() || list.model() == nullptr) return {};
  const QModelIndex cell = list.model()->index(current.row(), pathColumn);
  const QVariant raw = cell.data(kRawPathRole);
  if (raw.isValid()) return raw.toByteArray().toStdString();
  return ToUtf8(cell.data().toString());
}

void ShowListMenu(QTableView& list, window::ListKind kind, int pathColumn, const QPoint& globalPoint,
                  const ListMenuHooks& hooks) {
  const std::string path = MarkedPath(list, pathColumn);
  std::optional<std::string> process;
  if (hooks.markedProcess) process = hooks.markedProcess();
  const int chosen = Run(list, window::ListMenu(path, list.showGrid(), process), globalPoint);
  ActOnList(list, kind, path, process, chosen, hooks);
}

void ShowTreeMenu(TreeList& tree, const QPoint& point, const TreeMenuHooks& hooks) {
  const QModelIndex node = tree.indexAt(point).siblingAtColumn(0);
  std::optional<window::TreeMenuNode> menuNode;
  std::string path;
  if (node.isValid()) {
    tree.setCurrentIndex(node);
    path = hooks.nodePath ? hooks.nodePath(node) : ToUtf8(node.data().toString());
    std::error_code error;
    menuNode = window::TreeMenuNode{ToUtf8(node.data().toString()),
                                    std::filesystem::is_directory(std::filesystem::path(path), error)};
  }
  const bool autoScroll = tree.hasAutoScroll();
  tree.setAutoScroll(false);  // the tree stays where it is while the menu runs
  const auto entries = window::TreeMenu(menuNode, tree.gridLines(), tree.transparentMarking());
  const int chosen = Run(tree, entries, tree.viewport()->mapToGlobal(point));
  ActOnTree(tree, node, path, chosen, hooks);
  tree.setAutoScroll(autoScroll);
}

void ExpandToLevel(QTreeView& tree, const QModelIndex& node, int levels) {
  if (!node.isValid() || tree.model() == nullptr) return;
  tree.setExpanded(node, levels >= 1);
  const int childLevels = levels > 0 ? levels - 1 : 0;
  const int rows = tree.model()->rowCount(node);
  for (int row = 0; row < rows; ++row) ExpandToLevel(tree, tree.model()->index(row, 0, node), childLevels);
}

}  // namespace tavrek::ui
