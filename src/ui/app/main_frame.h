#pragma once
// The main frame: the one top-level window of a run. Its watch windows live
// in an MDI area with a tab bar in step; it owns the menus, the drive bar,
// the address box and the status bar, handles its own commands and passes
// every other one to the active watch window.
#include <QMainWindow>
#include <QRect>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "core/app/desktop_folders.h"
#include "core/app/frame_menus.h"
#include "core/app/frame_settings.h"
#include "core/app/start_command.h"
#include "ui/app/drive_bar.h"
#include "ui/app/tray_icon.h"
#include "ui/window/watch_window.h"

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

namespace tavrek::ui {

class AddressBox;
class FrameTabBar;
class SettingsNotice;
class TrayController;
class FavouritesMenu;
class WindowCaptions;

// What the frame needs from the rest of the program.
struct FrameServices {
  // Given to every watch window; its settings and registry are the frame's too.
  WatchWindowContext windowContext;
  DriveBar::MountReader readMounts;
  std::string sysfsRoot = "/sys";
  // The modifier keys held now (Ctrl and Shift steer where a folder opens).
  std::function<Qt::KeyboardModifiers()> keyboard;
  // Shows the help window of "-help" (another run of the program normally).
  std::function<void()> startHelpRun;
  // Where the desktop reads the user's registrations (document type, folder
  // verb) and the running program they name. Nothing is registered while
  // `desktop.dataHome` is empty.
  app::DesktopFolders desktop;
  std::string programPath;
  // Whether a registration that wrote something runs the desktop's database tools.
  bool refreshDesktopDatabases = true;
  // The notification-area icon of "To Tray"; the system's when not given.
  std::function<std::unique_ptr<TrayIcon>()> makeTrayIcon;
};

class MainFrame : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainFrame(FrameServices services, QWidget* parent = nullptr);
  ~MainFrame() override;

  // The one routing function: the frame's own commands first; whatever it
  // leaves is the active watch window's. True when someone handled it.
  bool HandleCommand(int command, const QString& argument = {});

  // What a start opens: an empty window (and the start help), a folder, or a
  // document; a document that cannot be read leaves the frame empty.
  void OpenStart(const app::StartCommand& start);
  // Opens a folder as a watch: new window, active window instead, or added to
  // it, by the keys held and the same-window flag.
  void OpenFolder(const QString& path, bool sameWindow);
  // A watch window loaded from a watch-setup document. A counted one (the
  // command line's) may be the run's first and so maximised; the
  // favourites' are not counted. A file that cannot be read shows the error
  // box and opens nothing.
  void OpenDocument(const QString& path, bool counted = true);
  // A new, empty watch window, counted: the first of the run is maximised.
  WatchWindow* NewWatchWindow();
  QMdiSubWindow* OpenStartHelp();

  // Shows the frame at start: maximised when "Start"/"Max" says so.
  void ShowAtStart();

  WatchWindow* activeWatchWindow() const;
  QMdiArea* mdiArea() const { return area_; }
  FrameTabBar* tabBar() const { return tabBar_; }
  DriveBar* driveBar() const { return driveBar_; }
  AddressBox* addressBox() const { return addressBox_; }
  QAction* action(int command) const;
  FavouritesMenu* favouritesMenu() const { return favourites_; }
  bool fullScreenOn() const { return fullScreen_; }
  QLabel* idleLabel() const { return idleLabel_; }
  // The active watch window's state and kernel queue overflows.
  QLabel* watchStatus() const { return watchStatus_; }
  TrayController& tray() const { return *tray_; }
  // Says once when the settings file cannot be read or saved.
  SettingsNotice& settingsNotice() const { return *settingsNotice_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // Construction and menus, in main_frame.cpp.
  void CreateMenus();
  // Entries of the frame's own menus run their command; the others (the
  // tray's copy) only carry its id.
  void AddMenuItems(QMenu* menu, const app::MenuPopup& popup, bool frameEntries = true);
  void CreateAccelerators();
  void CreateBars();
  void ApplyViewSettings();
  void RefreshFolderMenu(QMenu* menu);
  void RefreshWindowMenu();
  void ListOpenWindows();
  void RefreshTitle();

  // Commands, in main_frame_commands.cpp.
  bool HandleOwnCommand(int command);
  bool HandleViewCommand(int command);
  bool HandleWindowCommand(int command);
  void ToggleSetting(int command, app::FrameFlag flag);
  void ToggleBar(int command, QWidget* bar, app::FrameFlag flag);
  void OpenDrive(int command);
  void RunHelp();

  // Watch windows, in main_frame_windows.cpp.
  QMdiSubWindow* AddChild(QWidget* child, const QString& caption, const QIcon& icon);
  WatchWindow* CreateWatchWindow(bool maximised);
  void PlaceCascaded(QMdiSubWindow* window);
  void FocusActiveWindow();
  void OnFilesDropped(QMdiSubWindow* window, const QList<QUrl>& urls);
  void Tile(Qt::Orientation direction);
  void ArrangeMinimised();

  // Documents, in main_frame_documents.cpp. A window that took a document
  // is captioned with its name.
  bool LoadDocument(WatchWindow& window, const QString& path);
  void ChooseAndOpenDocument();
  void SaveActiveDocument();

  // The desktop: folder verb, tray and status line, in main_frame_desktop.cpp.
  void CreateTray();
  void RefreshTrayMenu();
  void ToggleFolderVerb();
  void RefreshFolderVerbCheck();
  void ListenToWindow(WatchWindow* window);
  void RefreshWatchStatus();

  // Favourites, in main_frame_favourites.cpp.
  void CreateFavouritesMenu(QMenu* menu);
  void OpenFavourite(const QString& path, bool ctrlHeld);

  // Placement and full screen, in main_frame_placement.cpp.
  void RestorePlacement();
  void SavePlacement();
  void EnterFullScreen();
  void LeaveFullScreen();

  FrameServices services_;
  app::WindowCounter counter_;
  QMdiArea* area_ = nullptr;
  FrameTabBar* tabBar_ = nullptr;
  DriveBar* driveBar_ = nullptr;
  QToolBar* addressBar_ = nullptr;
  AddressBox* addressBox_ = nullptr;
  QLabel* idleLabel_ = nullptr;
  QLabel* watchStatus_ = nullptr;
  TrayController* tray_ = nullptr;
  SettingsNotice* settingsNotice_ = nullptr;
  WindowCaptions* captions_ = nullptr;
  QMenu* trayMenu_ = nullptr;
  QMenu* windowMenu_ = nullptr;
  int windowMenuItems_ = 0;  // the arranging entries above the window list
  FavouritesMenu* favourites_ = nullptr;
  QAction* leaveFullScreen_ = nullptr;
  std::map<int, QAction*> actions_;
  bool fullScreen_ = false;
  Qt::WindowStates stateBeforeFullScreen_;
  QRect rectBeforeFullScreen_;
};

}  // namespace tavrek::ui
