#pragma once
// A watch window: the view over one watch session. It lays out the controls
// of its dialog template, routes their commands, keeps the command states and
// shows the change log; the folder list, the filter and the access views have
// controllers of their own that follow the session.
#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>

#include "core/engine/watch_session.h"
#include "core/window/dialog_template.h"
#include "ui/setups/setup_host.h"

class QAction;
class QCheckBox;
class QPushButton;
class QTableView;
class QToolBar;

namespace tavrek::app {
class SettingsStore;
}
namespace tavrek::platform {
class RegistryStore;
}

namespace tavrek::ui {

class AccessViewController;
class ChangeLogModel;
class FilterListController;
class FolderListController;
class LogSearchBar;
class SessionBridge;
struct ListMenuHooks;

// What a watch window shares with the rest of the program.
struct WatchWindowContext {
  app::SettingsStore* settings = nullptr;
  platform::RegistryStore* registry = nullptr;
  std::shared_ptr<platform::OpenFilesMonitor> openFiles;
  engine::BackendType backend = engine::BackendType::Automatic;
  // The mount points of all local drives, asked when the user wants them watched.
  std::function<std::vector<std::string>()> localDrives;
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
  QTableView* changeLog() const { return log_; }
  FolderListController& folders() const { return *folders_; }
  FilterListController& filters() const { return *filters_; }
  AccessViewController& access() const { return *access_; }
  LogSearchBar* logSearch() const { return searchBar_; }

  // Handles what the sources handed over and tells the views at once instead
  // of when the event loop is back.
  void FlushViews() override;
  // Applies the enabled and checked state of every command and option box.
  void RefreshCommandStates();

 signals:
  // The path of the row or node the user selected last.
  void currentPathChanged(const QString& path);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  // Tab and Shift+Tab walk the window's own stops and wrap.
  bool focusNextPrevChild(bool next) override;

 private:
  // Construction, in watch_window.cpp.
  void CreateTemplateControls();
  QWidget* AddControl(int id, QWidget* widget);
  void CreateOptionBoxes();
  void CreateToolbars();
  QToolBar* CreateToolbar(int id, const std::vector<std::pair<int, const char*>>& buttons);
  void CreateControllers();
  void CreateViews();
  void ConnectBridge();
  void SetTabOrder();
  void OnLogRowsAppended();
  void ApplyLayout();
  void PlaceOptionColumn();
  void OnSelectedLogRow(const QModelIndex& current);

  // Commands, in watch_window_commands.cpp.
  void OnOptionBoxClicked(int boxId);
  void OnStartStop();
  void RefreshStartStop();
  void ClearLog();

  // The change log going out, in list_commands.cpp.
  void ConnectLogMenu();
  ListMenuHooks LogMenuHooks();
  bool HandleListCommand(int command);
  void ExportLog(const QString& name);
  void ExploreLog(bool select);

  // The log's search field and process filter, in watch_window_search.cpp.
  void CreateLogSearch();
  void AddProcessHooks(ListMenuHooks& hooks);

  WatchWindowContext context_;
  std::unique_ptr<engine::WatchSession> session_;
  std::map<int, QWidget*> controls_;
  // The controls left of the lists with their template places (dialog units).
  struct ColumnEntry {
    window::Rect dialogUnits;
    QWidget* widget;
    bool group;
  };
  std::vector<ColumnEntry> column_;
  std::vector<QWidget*> tabStops_;  // in the order Tab visits them
  std::map<int, QAction*> actions_;
  std::map<int, QCheckBox*> optionBoxes_;
  SessionBridge* bridge_ = nullptr;

  QPushButton* folderButton_ = nullptr;
  QPushButton* startStop_ = nullptr;
  QTableView* log_ = nullptr;
  QToolBar* accessToolbar_ = nullptr;
  QToolBar* logToolbar_ = nullptr;
  QToolBar* filterToolbar_ = nullptr;
  ChangeLogModel* logModel_ = nullptr;
  FolderListController* folders_ = nullptr;
  FilterListController* filters_ = nullptr;
  AccessViewController* access_ = nullptr;
  LogSearchBar* searchBar_ = nullptr;

  int selectedLogRow_ = -1;
};

}  // namespace tavrek::ui
