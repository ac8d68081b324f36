#pragma once
// A watch window: the view and controller over one watch session. It lays out
// the controls of its dialog template, routes their commands to the session,
// shows the session's lists and keeps its view settings.
#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>

#include "core/engine/watch_session.h"
#include "ui/setups/setup_host.h"

class QAbstractItemView;
class QAction;
class QCheckBox;
class QLabel;
class QPushButton;
class QTableView;
class QTableWidget;
class QTableWidgetItem;
class QToolBar;
class QToolButton;

namespace tavrek::app {
class SettingsStore;
}
namespace tavrek::platform {
class RegistryStore;
}

namespace tavrek::ui {

class AccessOverviewModel;
class AccessTreeModel;
class ChangeLogModel;
class SessionBridge;
class TreeList;
struct ListMenuHooks;

// What a watch window shares with the rest of the program.
struct WatchWindowContext {
  app::SettingsStore* settings = nullptr;
  platform::RegistryStore* registry = nullptr;
  std::shared_ptr<platform::OpenFilesMonitor> openFiles;
  engine::BackendType backend = engine::BackendType::Automatic;
  // The path text of all local drives ("/,/home,"), asked when the user wants them watched.
  std::function<std::string()> localDrives;
  // The operating-system text of the system line.
  std::string systemText;
};

class WatchWindow : public QWidget, public SetupHost {
  Q_OBJECT

 public:
  explicit WatchWindow(WatchWindowContext context, QWidget* parent = nullptr);
  ~WatchWindow() override;

  // A command of the window's table; false when the window does not handle it.
  bool HandleCommand(int command, const QString& argument = {});

  engine::WatchSession& session() override { return *session_; }
  QWidget* hostWidget() override { return this; }
  void PressStartStop() override { OnStartStop(); }
  // Where the session's changes arrive as signals (tab captions, status bar).
  SessionBridge& bridge() const { return *bridge_; }
  // The child with a control id, or nothing.
  QWidget* Control(int id) const;
  QAction* ToolbarAction(int command) const;
  TreeList* accessTree() const { return tree_; }
  QTableView* changeLog() const { return log_; }
  QTableView* accessList() const { return accessList_; }
  QTableWidget* folderList() const { return folderList_; }
  QTableWidget* filterList() const { return filterList_; }
  bool grouped() const { return grouped_; }
  QString logFilterCaption() const;

  // Handles what the sources handed over and tells the views at once instead
  // of when the event loop is back.
  void FlushViews() override;
  // Applies the enabled and checked state of every command and option box.
  void RefreshCommandStates();

  // The popups of the window, at a global position.
  void ShowFolderMenu(const QPoint& globalPosition, bool overList);
  void ShowFilterListMenu(const QPoint& globalPosition);

 signals:
  // The path of the row or node the user selected last.
  void currentPathChanged(const QString& path);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  // Construction, in watch_window.cpp.
  void CreateTemplateControls();
  QWidget* AddControl(int id, QWidget* widget);
  void CreateOptionBoxes();
  void CreateLists();
  void CreateToolbars();
  QToolBar* CreateToolbar(int id, const std::vector<std::pair<int, const char*>>& buttons);
  void CreateAccessViews();
  void ConnectSelections();
  void ConnectBridge();
  void SetTabOrder();
  void OnSetupChanged();
  void OnLogRowsAppended();
  static bool HasSelectedCurrentRow(const QAbstractItemView& view);
  void ApplyViewSettings();
  void ApplyLayout();
  void ShowGroupedOrSimple();
  void OnSelectedLogRow(const QModelIndex& current);
  void OnSelectedAccessRow(const QModelIndex& current);

  // Commands, in watch_window_commands.cpp.
  void OnOptionBoxClicked(int boxId);
  void OnStartStop();
  void RefreshStartStop();
  void ShowViewMenu();
  void ResetAccessStatistics();
  void ClearLog();
  void FitTreeColumns(bool withHeader);

  // Folders, in folder_menu.cpp.
  void BrowseFolder();
  void WatchAllLocalDrives();
  void RemoveMarkedFolders();
  std::vector<size_t> SelectedFolderRows() const;
  void RemoveAllFolders();
  void RefreshFolderList();
  void ShowCoverage(QTableWidgetItem& item, const engine::FolderCoverage& coverage);
  void StartWatch(const QString& pathText, bool replace);

  // Lists going out, in list_commands.cpp.
  void ConnectListMenus();
  ListMenuHooks ListMenuHooksFor(bool access);
  bool HandleListCommand(int command);
  void ExportLog(const QString& name);
  void ExportAccessList(const QString& name);
  void ExportAccess(const QString& name);  // the tree when grouped, else the list
  void ExploreLog(bool select);
  void ExploreAccess(bool select);

  // Filters, in filter_controls.cpp.
  void OpenFilterDialog(const QString& givenText);
  void RemoveMarkedFilters();
  void RemoveAllFilters();
  void RefreshFilterList();
  void RefreshFilteredCount();
  void ShowLogFilterMenu();
  void RefreshLogFilterCaption();

  WatchWindowContext context_;
  std::unique_ptr<engine::WatchSession> session_;
  std::map<int, QWidget*> controls_;
  std::map<int, QAction*> actions_;
  std::map<int, QCheckBox*> optionBoxes_;
  SessionBridge* bridge_ = nullptr;

  QPushButton* folderButton_ = nullptr;
  QPushButton* startStop_ = nullptr;
  QLabel* systemLine_ = nullptr;
  QTableWidget* folderList_ = nullptr;
  QTableWidget* filterList_ = nullptr;
  QLabel* filteredCount_ = nullptr;
  QTableView* log_ = nullptr;
  QTableView* accessList_ = nullptr;
  TreeList* tree_ = nullptr;
  QToolBar* accessToolbar_ = nullptr;
  QToolBar* logToolbar_ = nullptr;
  QToolBar* filterToolbar_ = nullptr;
  ChangeLogModel* logModel_ = nullptr;
  AccessOverviewModel* overviewModel_ = nullptr;
  AccessTreeModel* treeModel_ = nullptr;

  bool grouped_ = true;
  int selectedLogRow_ = -1;
  int selectedAccessRow_ = -1;
  QString lastBrowsedFolder_;
};

}  // namespace tavrek::ui
