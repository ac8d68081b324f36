// The frame on the desktop: the installer's turn at start-up, the document
// type and folder verb, "To Tray", documents through the menus and the
// status line of the active watch, the favourites.
#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QStatusBar>
#include <filesystem>

#include "core/app/command_ids.h"
#include "core/app/file_manager_actions.h"
#include "core/app/shell_registration.h"
#include "core/engine/event_queue.h"
#include "core/install/installer_command_line.h"
#include "ui/app/frame_fixture.h"
#include "ui/app/tray_controller.h"
#include "ui/lists/explore_path.h"
#include "ui/setups/favourites_menu.h"
#include "ui/setups/setup_io.h"
#include "ui/support/pump.h"

namespace tavrek::ui {
namespace {

namespace cmd = app::command;
namespace fs = std::filesystem;
using testing::TempFolder;

class RecordedHooks : public install::InstallerHooks {
 public:
  void ShowInstallDialog() override { shown.push_back("install"); }
  bool ShowUninstallDialog(const std::string& listPath) override {
    shown.push_back("uninstall " + listPath);
    return true;
  }
  void ShowError(const std::string& text) override { shown.push_back("error " + text); }
  bool StartProgram(const std::vector<std::string>&) override { return true; }

  std::vector<std::string> shown;
};

class FrameDesktopTest : public FrameTest {
 protected:
  // The real command-line rules of the installer with recorded dialogs.
  InstallerHandOff Installer() {
    return [this](const std::string& tail, const std::string& programPath) {
      return install::HandleInstallerCommandLine(tail, programPath, hooks_, temp_.path().string());
    };
  }
  bool VerbRegistered() {
    return app::FolderVerb(app::FolderVerbMode::Query, Desktop(), "/usr/bin/tavrek").value == 1;
  }
  // The watch status without the log's size.
  static QString StatusOf(MainFrame& frame) {
    return frame.watchStatus()->text().section(QStringLiteral(" | Protokoll: "), 0, 0);
  }

  RecordedHooks hooks_;
  TempFolder temp_;
};

TEST_F(FrameDesktopTest, TheInstallerTakesItsCommandLinesAndNoFrameIsMade) {
  StartOutcome install = Begin("", "/media/stick/tavrek-Setup", Installer());
  EXPECT_EQ(install.exitCode, 0);
  EXPECT_FALSE(install.frame);
  EXPECT_EQ(hooks_.shown, std::vector<std::string>{"install"});

  // An uninstall that ran takes the folder verb away with it.
  ASSERT_TRUE(app::FolderVerb(app::FolderVerbMode::Register, Desktop(), "/usr/bin/tavrek")
                  .failure.empty());
  ASSERT_TRUE(VerbRegistered());
  StartOutcome uninstall = Begin("-uninstall+/tmp/x/Tavrek_Uninstall.ini", "/usr/bin/tavrek",
                                 Installer());
  EXPECT_EQ(uninstall.exitCode, 0);
  EXPECT_FALSE(uninstall.frame);
  EXPECT_FALSE(VerbRegistered());
  EXPECT_FALSE(fs::exists(app::MimePackagePath(Desktop())));  // no normal start yet

  // Any other name starts normally, and a normal start registers the document type.
  StartOutcome normal = Begin("", "/usr/bin/tavrek", Installer());
  ASSERT_TRUE(normal.frame);
  EXPECT_FALSE(normal.exitCode);
  EXPECT_EQ(hooks_.shown.size(), 2u);
  EXPECT_TRUE(fs::exists(app::MimePackagePath(Desktop())));
  EXPECT_TRUE(fs::exists(app::ProgramEntryPath(Desktop())));
}

TEST_F(FrameDesktopTest, TheShellMenuEntryTogglesTheFolderVerbAndItsCheckMarkOrSaysWhyNot) {
  auto frame = MakeFrame();
  QAction* entry = frame->action(cmd::kShellMenu);
  ASSERT_TRUE(entry);
  EXPECT_FALSE(entry->isChecked());
  EXPECT_TRUE(frame->HandleCommand(cmd::kShellMenu));
  EXPECT_TRUE(entry->isChecked());
  EXPECT_TRUE(fs::exists(app::DolphinActionPath(Desktop())));
  EXPECT_TRUE(frame->HandleCommand(cmd::kShellMenu));
  EXPECT_FALSE(entry->isChecked());
  EXPECT_FALSE(fs::exists(app::DolphinActionPath(Desktop())));
  EXPECT_TRUE(Dialogs::messages().empty());

  // Registered behind the frame's back: the mark follows when the menu opens.
  app::FolderVerb(app::FolderVerbMode::Register, Desktop(), "/usr/bin/tavrek");
  auto* menu = qobject_cast<QMenu*>(entry->parent());
  ASSERT_TRUE(menu);
  emit menu->aboutToShow();
  EXPECT_TRUE(entry->isChecked());

  // Files where the data and config folders should be: nothing below them can be made.
  fs::remove_all(home_.path());  // the verb with them
  home_.Write(".local/share", "kein Ordner");
  home_.Write(".config", "kein Ordner");
  frame->HandleCommand(cmd::kShellMenu);
  ASSERT_EQ(Dialogs::messages().size(), 1u);
  EXPECT_EQ(Dialogs::messages()[0].caption, QString());
  EXPECT_EQ(Dialogs::messages()[0].text, QStringLiteral("Fehler beim Registrieren der TavrekDateien (*.tvk)"));
  EXPECT_FALSE(entry->isChecked());
}

TEST_F(FrameDesktopTest, ToTrayHidesAndRestoresAndTheIconsMenuRunsFileCommands) {
  auto frame = MakeFrame();
  ASSERT_TRUE(trayIcon_);
  EXPECT_TRUE(frame->HandleCommand(cmd::kToTray));
  EXPECT_FALSE(frame->isVisible());
  EXPECT_TRUE(trayIcon_->IsShown());

  // A right click offers "&Datei"; what is chosen there goes to the frame.
  Dialogs::QueueMenuChoice(cmd::kNewWindow);
  trayIcon_->onRightClick(QPoint());
  EXPECT_EQ(Windows(*frame).size(), 1);

  // A left click on the icon brings the frame back.
  trayIcon_->onLeftClick();
  QCoreApplication::processEvents();
  EXPECT_TRUE(frame->isVisible());
  EXPECT_FALSE(trayIcon_->IsShown());
  frame->showMaximized();  // and comes back as it was
  EXPECT_TRUE(frame->HandleCommand(cmd::kToTray));
  EXPECT_TRUE(frame->HandleCommand(cmd::kToTray));
  EXPECT_TRUE(frame->isVisible() && frame->isMaximized());
  EXPECT_FALSE(trayIcon_->IsShown());

  // Without a notification area the frame stays visible and says why.
  trayAvailable_ = false;
  auto trayless = MakeFrame();
  trayless->HandleCommand(cmd::kToTray);
  EXPECT_TRUE(trayless->isVisible() && !trayless->isMinimized());
  EXPECT_FALSE(trayless->tray().InTray());
  EXPECT_FALSE(trayIcon_->IsShown());
  EXPECT_EQ(trayless->statusBar()->currentMessage(), TrayController::NoTrayText());
}

TEST_F(FrameDesktopTest, DocumentsAndFoldersChosenOpenAndCaptionTheirWindows) {
  TempFolder watched;
  const auto document = temp_.Write("a.tvk", "[DIR]\r\n" + watched.path().string() + "\r\n");
  auto frame = MakeFrame();
  Dialogs::QueueFileChoice(std::nullopt);  // cancelled: nothing opens
  frame->HandleCommand(cmd::kOpenDocument);
  EXPECT_TRUE(Windows(*frame).isEmpty());
  Dialogs::QueueFileChoice(Q(document));
  frame->HandleCommand(cmd::kOpenDocument);
  ASSERT_EQ(Windows(*frame).size(), 1);
  EXPECT_EQ(Folders(*frame->activeWatchWindow()), QStringList{Q(watched.path())});
  EXPECT_EQ(Windows(*frame)[0]->windowTitle(), QStringLiteral("a.tvk"));  // captioned by its document
  // Saving through the chooser: session_state_test's Ctrl+S.

  // A folder chosen in a window's own menu captions it.
  Dialogs::QueueMenuChoice(app::menu_choice::kFolderBrowse);
  Dialogs::QueueFolderChoice(FolderChoice{Q(temp_.path()), false});
  frame->NewWatchWindow()->folders().ShowMenu(QPoint(), true);
  EXPECT_TRUE(testing::PumpUntil([&] { return Windows(*frame)[1]->windowTitle() == Q(temp_.path()); }));
}

TEST_F(FrameDesktopTest, TheStatusLineFollowsTheActiveWindowAndCountsOverflows) {
  TempFolder watched;
  auto frame = MakeFrame();
  EXPECT_TRUE(StatusOf(*frame).isEmpty());
  WatchWindow* first = frame->NewWatchWindow();
  first->HandleCommand(cmd::kDoScan, Q(watched.path()));
  first->FlushViews();
  EXPECT_EQ(StatusOf(*frame), QStringLiteral("Überwachung läuft"));

  engine::EventBatch batch;
  batch.generation = first->session().generation();
  batch.overflows = 3;
  batch.folder = watched.path().string();
  first->session().queue().Push(std::move(batch));
  first->FlushViews();
  EXPECT_EQ(StatusOf(*frame), QStringLiteral("Überwachung läuft | Überläufe: 3"));
  EXPECT_TRUE(frame->watchStatus()->text().endsWith(QStringLiteral(" Zeilen, 0 MB")));

  frame->NewWatchWindow();  // a new window has not watched yet
  EXPECT_EQ(StatusOf(*frame), QStringLiteral("Überwachung angehalten"));
  frame->mdiArea()->setActiveSubWindow(Windows(*frame)[0]);
  EXPECT_EQ(StatusOf(*frame), QStringLiteral("Überwachung läuft | Überläufe: 3"));

  // Its only folder gone, a watch is over although its button still offers to stop it.
  const fs::path folder = watched.path() / "gone";
  fs::create_directory(folder);
  WatchWindow* ending = frame->NewWatchWindow();
  ending->HandleCommand(cmd::kDoScan, Q(folder));
  ending->FlushViews();
  EXPECT_EQ(StatusOf(*frame), QStringLiteral("Überwachung läuft"));
  fs::remove(folder);
  EXPECT_TRUE(testing::PumpUntil(
      [&] { return StatusOf(*frame) == QStringLiteral("Überwachung beendet"); }));
}

TEST_F(FrameDesktopTest, AFavouriteOpensInANewWindowOrWithCtrlInTheActiveOne) {
  auto frame = MakeFrame();
  TempFolder favourites, watched;
  settings_.WriteString("Favoriten", "Ordner", favourites.path().string());
  WatchWindow* source = frame->NewWatchWindow();
  source->HandleCommand(cmd::kDoScan, Q(watched.path()));
  ASSERT_TRUE(SaveSetup(*source, Q(favourites.path() / "Web"), true, 0));
  source->HandleCommand(cmd::kDoScan, Q(favourites.path()));  // watches something else now

  QMenu* menu = qobject_cast<QMenu*>(frame->favouritesMenu()->parent());
  ASSERT_NE(menu, nullptr);
  emit menu->aboutToShow();
  const QList<QAction*> entries = menu->actions();
  const auto web = std::find_if(entries.begin(), entries.end(), [](QAction* entry) {
    return !entry->menu() && entry->data().toInt() == 1001;
  });
  ASSERT_NE(web, entries.end());
  EXPECT_EQ((*web)->text(), QStringLiteral("Web.tvk"));
  (*web)->trigger();
  ASSERT_EQ(Windows(*frame).size(), 2);
  EXPECT_EQ(Folders(*Watch(Windows(*frame)[1])), QStringList{Q(watched.path())});
  frame->mdiArea()->setActiveSubWindow(Windows(*frame)[0]);
  keys_ = Qt::ControlModifier;
  (*web)->trigger();
  EXPECT_EQ(Windows(*frame).size(), 2);
  EXPECT_EQ(Folders(*source), QStringList{Q(watched.path())});

  int managed = 0;  // "&Verwalten" opens their folder
  SetFileManagerCall([&](const ExploreRequest&, std::function<void(bool)> answered) { ++managed, answered(true); });
  EXPECT_TRUE(frame->HandleCommand(cmd::kManageFavourites));
  SetFileManagerCall({});
  EXPECT_EQ(managed, 1);
}

// What only the controller does: the cut tip and an icon added again.
TEST(TrayControllerTest, TheIconGetsTheCutTipAndTheKeeperAddsItAgainWhenItVanished) {
  QMainWindow frame;
  auto icon = std::make_unique<FakeTrayIcon>();
  FakeTrayIcon& shown = *icon;
  TrayContext context;
  context.frame = &frame;
  context.tip = QString(200, QLatin1Char('x'));
  TrayController controller(context, std::move(icon));
  frame.show();
  controller.ToggleTray();
  EXPECT_EQ(shown.lastTip.size(), kTrayTipLength);
  controller.KeepIconAlive();
  EXPECT_EQ(shown.adds, 1);  // still there: nothing to do
  shown.shown = false;       // the panel restarted
  controller.KeepIconAlive();
  EXPECT_TRUE(shown.shown);
  EXPECT_EQ(shown.adds, 2);
}

}  // namespace
}  // namespace tavrek::ui
