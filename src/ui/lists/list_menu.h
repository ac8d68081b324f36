#pragma once
// The context menus of the watch window's lists: the change log and the
// simple access overview (a flat list with the path of the marked row), and
// the grouped access tree (the node under the point). The menus act on the
// list themselves and hand export, filter and window commands to the owner.
#include <QPoint>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "core/window/list_menu.h"

class QMenu;
class QModelIndex;
class QTableView;
class QTreeView;

namespace tavrek::app {
class SettingsStore;
}

namespace tavrek::ui {

class TreeList;

// Adds the entries to a menu: each action carries its id as data.
void FillMenu(QMenu& menu, const std::vector<window::MenuEntry>& entries);

struct ListMenuHooks {
  app::SettingsStore* settings = nullptr;
  std::function<void()> exportList;  // "Liste &Exportieren"
  // "Filter (...)", with the pattern proposed for the marked row's path.
  std::function<void(const QString& pattern)> filterPath;
  // For a list whose rows name processes: the marked row's command name
  // (empty: none known), and "Filter (Prozess: ...)" with the pattern
  // proposed for it.
  std::function<std::string()> markedProcess;
  std::function<void(const QString& pattern)> filterProcess;
};

// The path of the list's marked (current) row as the file system knows it:
// the model's raw path (kRawPathRole), or for a model without one the text
// of `pathColumn`; empty without a marked row.
std::string MarkedPath(const QTableView& list, int pathColumn);

// Shows the list menu at a global point and does what was chosen.
void ShowListMenu(QTableView& list, window::ListKind kind, int pathColumn, const QPoint& globalPoint,
                  const ListMenuHooks& hooks);

struct TreeMenuHooks {
  app::SettingsStore* settings = nullptr;
  std::function<void()> exportTree;
  // The full path of a node (its names joined from the top node down), as
  // the file system knows it.
  std::function<std::string(const QModelIndex& node)> nodePath;
  // Entries the window answers: the fit commands, "Dateien anzeigen", "Scann".
  std::function<void(int command)> passOn;
};

// Shows the tree menu for the point (viewport coordinates) and does what was chosen.
void ShowTreeMenu(TreeList& tree, const QPoint& point, const TreeMenuHooks& hooks);

// Expands `node` to `levels` levels: open when levels >= 1, closed at 0, and
// every child the same with one level less (never below 0).
void ExpandToLevel(QTreeView& tree, const QModelIndex& node, int levels);

}  // namespace tavrek::ui
