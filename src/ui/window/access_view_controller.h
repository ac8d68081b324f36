#pragma once
// The access statistics of a watch window: the simple overview list and the
// grouped tree, one of them shown at a time. They follow the session's
// statistics as the session tells of them, and answer the access toolbar's
// commands (view, reset, export, Explore) and their context menus.
#include <QObject>
#include <QString>

#include "core/engine/watch_session.h"

class QAction;
class QTableView;
class QToolBar;
class QWidget;

namespace tavrek::app {
class SettingsStore;
}

namespace tavrek::ui {

class AccessOverviewModel;
class AccessTreeModel;
class SessionBridge;
class TreeList;

struct AccessToolbar {
  QToolBar* toolbar = nullptr;
  QAction* viewAction = nullptr;  // the view menu opens below its button
};

class AccessViewController : public QObject {
  Q_OBJECT

 public:
  // The views are made as children of `owner`, which places them;
  // `settings` keeps the view choice and may be null.
  AccessViewController(QWidget& owner, AccessToolbar toolbar, engine::WatchSession& session,
                       SessionBridge& bridge, app::SettingsStore* settings);
  // The views point into the session: they go with the controller.
  ~AccessViewController() override;
  AccessViewController(const AccessViewController&) = delete;
  AccessViewController& operator=(const AccessViewController&) = delete;

  QTableView* list() const { return list_; }
  TreeList* tree() const { return tree_; }
  bool grouped() const { return grouped_; }
  // Whether the tree or the list has a selected current node or row.
  bool treeNodeSelected() const;
  bool listRowSelected() const;
  // An access command of the window's table; false for any other.
  bool HandleCommand(int command);

 signals:
  // The path of the list row the user selected.
  void currentPathChanged(const QString& path);
  // A selection or the view changed: the commands' states follow.
  void statesChanged();
  // "Filter (...)" of the list menu, with the pattern it proposes.
  void filterRequested(const QString& pattern);
  // A tree menu entry the window answers.
  void commandPassed(int command);

 private:
  void CreateViews();
  void SizeColumns();
  void ConnectSession();
  void ConnectViews();
  void OpenListMenu(const QPoint& at);
  void OpenTreeMenu(const QPoint& at);
  void ShowViewMenu();
  void ShowGroupedOrSimple();
  void Reset();
  void Export(const QString& name);  // the tree when grouped, else the list
  void ExportList(const QString& name);
  void Explore(bool select);

  QWidget& owner_;
  AccessToolbar toolbar_;
  engine::WatchSession& session_;
  SessionBridge& bridge_;
  app::SettingsStore* settings_;
  QTableView* list_ = nullptr;
  TreeList* tree_ = nullptr;
  AccessOverviewModel* overviewModel_ = nullptr;
  AccessTreeModel* treeModel_ = nullptr;
  bool grouped_ = true;
};

}  // namespace tavrek::ui
