#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QScreen>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

#include "core/app/command_ids.h"
#include "core/app/window_placement.h"
#include "ui/app/address_box.h"
#include "ui/app/folder_tree_menu.h"
#include "ui/app/frame_fixture.h"
#include "ui/app/frame_tab_bar.h"
#include "ui/common/text.h"
#include "ui/window/filter_list_controller.h"
#include "ui/window/folder_list_controller.h"
#include "ui/window/watch_window.h"
#include "ui/support/pump.h"

namespace tavrek::ui {
namespace {

namespace cmd = app::command;
using testing::PumpUntil;
using testing::TempFolder;

// Closed windows go by deleteLater, which only an event loop carries out.
bool PumpDeletesUntil(const std::function<bool()>& condition) {
  return PumpUntil([&condition] {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return condition();
  });
}

// Shortcuts and the focus need the frame to be the active window.
void Activate(QWidget& window) {
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

TEST_F(FrameTest, OnlyTheFirstCountedWindowIsMaximisedAndFoldersOpenUncounted) {
  auto frame = MakeFrame();
  TempFolder folder;
  frame->OpenFolder(Q(folder.path()), false);  // neither maximised nor counted
  frame->HandleCommand(cmd::kNewWindow);
  frame->HandleCommand(cmd::kNewWindow);
  const QList<QMdiSubWindow*> windows = Windows(*frame);
  ASSERT_EQ(windows.size(), 3);
  EXPECT_FALSE(windows[0]->isMaximized());
  EXPECT_TRUE(windows[1]->isMaximized());
  EXPECT_FALSE(windows[2]->isMaximized());
  // The frame's title names the current window while it is maximised.
  EXPECT_EQ(frame->windowTitle(), QStringLiteral("Tavrek"));
  frame->mdiArea()->setActiveSubWindow(windows[1]);
  frame->OpenFolder(Q(folder.path()), true);
  EXPECT_EQ(frame->windowTitle(), QStringLiteral("Tavrek - [") + Q(folder.path()) + QLatin1Char(']'));
}

TEST_F(FrameTest, CommandsTheFrameLeavesReachTheActiveWindowOnly) {
  auto frame = MakeFrame();
  TempFolder a, b;
  EXPECT_FALSE(frame->HandleCommand(cmd::kDoScan, Q(a.path())));  // no window yet
  WatchWindow* first = frame->NewWatchWindow();
  WatchWindow* second = frame->NewWatchWindow();
  const QStringList untouched = Folders(*first);
  EXPECT_EQ(frame->activeWatchWindow(), second);
  EXPECT_TRUE(frame->HandleCommand(cmd::kDoScan, Q(a.path())));
  EXPECT_EQ(Folders(*second), QStringList{Q(a.path())});
  EXPECT_EQ(Folders(*first), untouched);

  frame->mdiArea()->setActiveSubWindow(Windows(*frame)[0]);
  EXPECT_TRUE(frame->HandleCommand(cmd::kDoScan, Q(b.path())));
  EXPECT_EQ(Folders(*first), QStringList{Q(b.path())});
  EXPECT_EQ(Folders(*second), QStringList{Q(a.path())});
}

TEST_F(FrameTest, OpenFolderGoesToANewWindowOrWithCtrlAndShiftToTheActiveOne) {
  auto frame = MakeFrame();
  TempFolder a, b;
  const std::filesystem::path c = a / "c,d";  // one folder: "," is part of its name
  std::filesystem::create_directory(c);
  keys_ = Qt::ShiftModifier;
  frame->OpenFolder(Q(a.path()), false);  // Shift without a window: nothing
  EXPECT_TRUE(Windows(*frame).isEmpty());
  keys_ = Qt::ControlModifier;
  frame->OpenFolder(Q(a.path()), false);  // Ctrl without a window: a new one
  ASSERT_EQ(Windows(*frame).size(), 1);
  QMdiSubWindow* window = Windows(*frame)[0];
  EXPECT_EQ(window->windowTitle(), Q(a.path()));
  frame->OpenFolder(Q(b.path()), false);
  EXPECT_EQ(Folders(*Watch(window)), QStringList{Q(b.path())});
  keys_ = Qt::ShiftModifier;
  frame->OpenFolder(Q(c), false);
  EXPECT_EQ(Sorted(Folders(*Watch(window))), Sorted({Q(b.path()), Q(c)}));
  EXPECT_EQ(window->windowTitle(), Q(c));
  keys_ = Qt::NoModifier;
  frame->OpenFolder(Q(a.path()), true);  // the same-window flag
  EXPECT_EQ(Folders(*Watch(window)), QStringList{Q(a.path())});
  EXPECT_EQ(Windows(*frame).size(), 1);

  const QString missing = Q(a.path() / "fehlt");
  frame->OpenFolder(missing, false);
  ASSERT_EQ(Dialogs::messages().size(), 1u);
  EXPECT_EQ(Dialogs::messages()[0].text, QStringLiteral("Verzeichnis ?\n\n") + missing);
  EXPECT_EQ(Windows(*frame).size(), 1);
}

TEST_F(FrameTest, TabsFollowTheWindowsCaptionsAndClosing) {
  auto frame = MakeFrame();
  frame->resize(1000, 600);
  TempFolder folder;
  const std::string deep = folder.Write("ein recht langer Ordnername/x").parent_path().string();
  frame->NewWatchWindow();
  frame->OpenFolder(Q(folder.path()), false);
  frame->OpenFolder(QString::fromStdString(deep), false);
  FrameTabBar* tabs = frame->tabBar();
  const QList<QMdiSubWindow*> windows = Windows(*frame);
  ASSERT_EQ(tabs->count(), 3);
  EXPECT_EQ(tabs->windowAt(2), windows[2]);
  EXPECT_TRUE(tabs->tabText(2).endsWith(QStringLiteral(" ...")));  // cut as frame_rules_test shows
  EXPECT_EQ(tabs->tabToolTip(2), windows[2]->windowTitle());
  EXPECT_EQ(tabs->tabText(0), QStringLiteral("Tavrek"));
  EXPECT_EQ(tabs->currentIndex(), 2);
  tabs->setCurrentIndex(0);  // a click on a tab activates its window
  EXPECT_EQ(frame->mdiArea()->currentSubWindow(), windows[0]);

  // A double click just beside the icon restores the maximised first window,
  // again maximises it.
  const QPoint beside(tabs->iconRect(0).right() + 2, tabs->iconRect(0).center().y());
  ASSERT_TRUE(windows[0]->isMaximized());
  tabs->DoubleClickAt(beside);
  EXPECT_FALSE(windows[0]->isMaximized());
  tabs->DoubleClickAt(beside);
  EXPECT_TRUE(windows[0]->isMaximized());

  // Hovering offers to close the window up to the icon's edge, names it beside the icon.
  const QRect icon = tabs->iconRect(1);
  QTest::mouseMove(tabs, icon.bottomRight());
  EXPECT_EQ(frame->statusBar()->currentMessage(), QStringLiteral("[X] Schließen"));
  QTest::mouseMove(tabs, QPoint(tabs->tabRect(1).right() - 5, icon.center().y()));
  EXPECT_EQ(frame->statusBar()->currentMessage(), windows[1]->windowTitle());

  // A double click on a tab's icon closes that window.
  QTest::mouseMove(tabs, icon.center());
  tabs->DoubleClickAt(icon.bottomRight());
  ASSERT_TRUE(PumpDeletesUntil(
      [&] { return tabs->count() == 2 && frame->statusBar()->currentMessage().isEmpty(); }));
  EXPECT_EQ(tabs->windowAt(0), windows[0]);
  EXPECT_EQ(tabs->windowAt(1), windows[2]);
  frame->HandleCommand(cmd::kCloseWindow);  // Alt+4 closes the active one
  ASSERT_TRUE(PumpDeletesUntil([&] { return tabs->count() == 1; }));
  EXPECT_EQ(Windows(*frame).size(), 1);
  EXPECT_EQ(tabs->currentIndex(), 0);
}

// A name with a line feed or a backslash is shown on one line, escaped as the log shows it.
TEST_F(FrameTest, CaptionFolderAndFilterListsShowNamesEscaped) {
  TempFolder folder;
  const std::string name = "a\\b\nc";
  const std::string odd = folder.Write(name + "/x").parent_path().string();
  const QString shown = ShownName(odd);
  ASSERT_TRUE(shown.endsWith(QStringLiteral("/a\\\\b\\x0ac")));
  auto frame = MakeFrame();
  frame->OpenFolder(QString::fromStdString(odd), false);
  WatchWindow* window = frame->activeWatchWindow();
  window->session().AddFilterText(name, true);
  ASSERT_TRUE(PumpUntil([&] { return window->filters().list()->rowCount() == 1; }));
  EXPECT_EQ(Windows(*frame).back()->windowTitle(), shown);
  EXPECT_EQ(window->folders().list()->item(0, 0)->text(), shown);
  EXPECT_EQ(window->filters().list()->item(0, 0)->text(), QStringLiteral("a\\\\b\\x0ac"));
}

TEST_F(FrameTest, AFolderDroppedOnATabOpensAsAWatchAndF6WalksTheWindows) {
  auto frame = MakeFrame();
  TempFolder folder;
  frame->NewWatchWindow();
  frame->NewWatchWindow();
  FrameTabBar* tabs = frame->tabBar();
  QList<QMdiSubWindow*> activated;
  QObject listening;  // gone before `activated`, while the frame still closes its windows
  QObject::connect(frame->mdiArea(), &QMdiArea::subWindowActivated, &listening,
                   [&activated](QMdiSubWindow* window) { activated << window; });
  EXPECT_FALSE(tabs->DropAt(QPoint(-5, -5), {}));
  EXPECT_TRUE(tabs->DropAt(tabs->tabRect(0).center(), {QUrl::fromLocalFile(Q(folder.path())),
                                                       QUrl::fromLocalFile(Q(folder.Write("datei.txt")))}));
  const QList<QMdiSubWindow*> windows = Windows(*frame);
  ASSERT_EQ(windows.size(), 3);  // the file opens nothing
  EXPECT_EQ(windows[2]->windowTitle(), Q(folder.path()));
  EXPECT_EQ(Folders(*Watch(windows[2])), QStringList{Q(folder.path())});
  // The tab's window was activated first; the new window is active now.
  ASSERT_FALSE(activated.isEmpty());
  EXPECT_EQ(activated.first(), windows[0]);
  EXPECT_EQ(frame->mdiArea()->currentSubWindow(), windows[2]);
  EXPECT_EQ(tabs->currentIndex(), 2);
  frame->action(cmd::kNextWindow)->trigger();  // F6 and Shift+F6 walk the windows, the tabs follow
  EXPECT_EQ(tabs->currentIndex(), 0);
  frame->action(cmd::kPreviousWindow)->trigger();
  EXPECT_EQ(frame->mdiArea()->currentSubWindow(), windows[2]);
  EXPECT_EQ(tabs->currentIndex(), 2);
}

TEST_F(FrameTest, PlacementRoundTripWithTheMaximisedState) {
  const QRect screen = QGuiApplication::primaryScreen()->virtualGeometry();
  {
    auto frame = MakeFrame();  // a first start fits the free area, title bar and all
    const QRect free = frame->screen()->availableGeometry();
    EXPECT_LT(frame->height(), free.height());
    EXPECT_TRUE(free.contains(QRect(frame->statusBar()->mapToGlobal(QPoint()), frame->statusBar()->size())));
    frame->setGeometry(screen.left() + 20, screen.top() + 30, 500, 400);
    frame->close();
  }
  const auto text = app::LoadPlacementText(registry_);
  ASSERT_TRUE(text);
  EXPECT_TRUE(text->ends_with(";1;x,y,w,h,SW")) << *text;
  EXPECT_EQ(MakeFrame()->geometry(), QRect(screen.left() + 20, screen.top() + 30, 500, 400));
  // Kept on the screen as window_placement_test shows; the state is applied too.
  std::string maximised = *text;
  maximised.replace(maximised.rfind(";1;"), 3, ";3;");
  registry_.SetString("Software\\Quorvane\\Tavrek", "WinRC", maximised);
  EXPECT_TRUE(std::make_unique<MainFrame>(Services())->isMaximized());
}

TEST_F(FrameTest, FullScreenOnWithF11OffWithF11OrEscape) {
  auto frame = MakeFrame();
  frame->NewWatchWindow();
  frame->setGeometry(40, 50, 600, 450);
  Activate(*frame);
  const QRect before = frame->geometry();
  // On, shown so, its entry ticked and the window maximised: all or nothing.
  auto state = [&] {
    return std::vector<bool>{frame->fullScreenOn(), frame->isFullScreen(),
                             frame->action(cmd::kFullScreen)->isChecked(), Windows(*frame)[0]->isMaximized()};
  };
  for (bool viaEscape : {false, true}) {
    frame->HandleCommand(cmd::kFullScreen);
    EXPECT_EQ(state(), std::vector<bool>(4, true));
    if (viaEscape) {
      QTest::keyClick(frame.get(), Qt::Key_Escape);
    } else {
      frame->action(cmd::kFullScreen)->trigger();
    }
    EXPECT_EQ(state(), std::vector<bool>(4, false));
    EXPECT_EQ(frame->geometry(), before);
  }
}

TEST_F(FrameTest, ViewTogglesAreSavedAndReadByTheNextFrame) {
  {
    auto frame = MakeFrame();
    EXPECT_TRUE(frame->tabBar()->isVisible());
    EXPECT_TRUE(frame->action(cmd::kShowStartHelp)->isChecked());
    frame->HandleCommand(cmd::kToggleTabBar);
    frame->HandleCommand(cmd::kToggleToolbar);
    frame->HandleCommand(cmd::kStartMaximised);
    frame->HandleCommand(cmd::kShowStartHelp);
    EXPECT_FALSE(frame->tabBar()->isVisible());
    EXPECT_FALSE(frame->action(cmd::kShowStartHelp)->isChecked());
  }
  EXPECT_EQ(settings_.GetInt("View", "TAB", 1), 0);
  EXPECT_EQ(settings_.GetInt("View", "TB", 1), 0);
  EXPECT_EQ(settings_.GetInt("Start", "Max", 0), 1);
  EXPECT_EQ(settings_.GetInt("Start", "Info", 1), 0);
  auto frame = std::make_unique<MainFrame>(Services());
  frame->ShowAtStart();
  EXPECT_TRUE(frame->isMaximized());
  EXPECT_FALSE(frame->tabBar()->isVisible());
  EXPECT_FALSE(frame->driveBar()->isVisible());
  EXPECT_TRUE(frame->statusBar()->isVisible());
  EXPECT_TRUE(frame->action(cmd::kStartMaximised)->isChecked());
}

TEST_F(FrameTest, DriveButtonsAndTheFolderMenuOpenTheirDrives) {
  TempFolder a, b;
  mounts_ = {{a.path().string(), "ext4", "/dev/sda1", 8, 1},
             {"/proc", "proc", "proc", 0, 20},
             {b.path().string(), "tmpfs", "tmpfs", 0, 30}};
  auto frame = MakeFrame();
  ASSERT_TRUE(PumpUntil([&] { return frame->driveBar()->ready(); }));
  const QList<QAction*> buttons = frame->driveBar()->actions();
  ASSERT_EQ(buttons.size(), 4);  // "Neu", the drives last first, the menu button "AP"
  EXPECT_EQ(Texts(buttons).first(3), (QStringList{QStringLiteral("Neu"), Q(b.path()), Q(a.path())}));
  EXPECT_EQ(frame->driveBar()->driveMenu()->actions().size(), 2);

  buttons[2]->trigger();
  ASSERT_EQ(Windows(*frame).size(), 1);
  EXPECT_EQ(Folders(*Watch(Windows(*frame)[0])), QStringList{Q(a.path())});

  QMenu* folderMenu = nullptr;
  for (QAction* entry : frame->menuBar()->actions()) {
    if (entry->text() == QStringLiteral("Tav&rek")) folderMenu = entry->menu();
  }
  ASSERT_TRUE(folderMenu);
  for (int opened = 0; opened < 2; ++opened) {  // refilled, never doubled
    emit folderMenu->aboutToShow();
    EXPECT_EQ(Texts(folderMenu->actions()),
              (QStringList{QStringLiteral("==============="), Q(a.path()), Q(b.path())}));
    EXPECT_FALSE(folderMenu->actions()[0]->isEnabled());
  }
  // A drive cascades into its folders, each menu headed by its own folder.
  b.Write("x/datei.txt");
  b.Write("y/z/datei.txt");
  b.Write(".versteckt/datei.txt");
  b.Write("datei.txt");
  auto* drive = qobject_cast<FolderTreeMenu*>(folderMenu->actions()[2]->menu());
  ASSERT_TRUE(drive);
  drive->Fill();
  EXPECT_EQ(Texts(drive->actions()),
            (QStringList{Q(b.path()), QStringLiteral("-"), QStringLiteral("x"), QStringLiteral("y")}));
  auto* y = qobject_cast<FolderTreeMenu*>(drive->actions()[3]->menu());
  ASSERT_TRUE(y);
  y->Fill();
  y->actions()[0]->trigger();
  ASSERT_EQ(Windows(*frame).size(), 2);
  EXPECT_EQ(Windows(*frame)[1]->windowTitle(), Q(b.path() / "y"));
}

TEST_F(FrameTest, TheAddressBoxOpensOnEnterAndHandsTabToTheWindow) {
  auto frame = MakeFrame();
  TempFolder folder;
  QLineEdit* edit = frame->addressBox()->comboBox()->lineEdit();
  edit->setText(Q(folder.path()));
  QTest::keyClick(frame->addressBox()->comboBox(), Qt::Key_Return);  // the edit leaves Enter to the box
  ASSERT_EQ(Windows(*frame).size(), 1);
  EXPECT_EQ(Folders(*Watch(Windows(*frame)[0])), QStringList{Q(folder.path())});
  Activate(*frame);
  edit->setFocus();
  QTest::keyClick(edit, Qt::Key_Tab);
  EXPECT_TRUE(Watch(Windows(*frame)[0])->isAncestorOf(QApplication::focusWidget()));
}

TEST_F(FrameTest, EveryMenuEntryOfTheTableIsInTheMenuBar) {
  auto frame = MakeFrame();
  for (const app::MenuPopup& popup : app::FrameMenus()) {
    for (const app::MenuItem& item : popup.items) {
      if (item.command == 0) continue;
      QAction* entry = frame->action(item.command);
      ASSERT_TRUE(entry) << item.command;
      EXPECT_EQ(entry->text(), ToQString(item.text)) << item.command;
    }
  }
  // "F&enster" is there only while a window is.
  QAction* windowMenu = nullptr;
  for (QAction* entry : frame->menuBar()->actions()) {
    if (entry->text() == QStringLiteral("F&enster")) windowMenu = entry;
  }
  ASSERT_TRUE(windowMenu);
  EXPECT_FALSE(windowMenu->isVisible());
  WatchWindow* first = frame->NewWatchWindow();
  frame->NewWatchWindow();
  EXPECT_TRUE(windowMenu->isVisible());
  emit windowMenu->menu()->aboutToShow();  // it lists the windows below the arranging entries
  const QList<QAction*> entries = windowMenu->menu()->actions().mid(5);
  ASSERT_EQ(entries.size(), 2);
  EXPECT_EQ(entries[0]->text(), QStringLiteral("&1 Tavrek"));
  EXPECT_TRUE(entries[1]->isChecked() && !entries[0]->isChecked());
  entries[0]->trigger();
  EXPECT_EQ(frame->activeWatchWindow(), first);
  frame->HandleCommand(cmd::kCloseAllWindows);
  ASSERT_TRUE(PumpDeletesUntil([&] { return !windowMenu->isVisible(); }));
  EXPECT_EQ(frame->idleLabel()->text(), QStringLiteral("Bin bereit ;)"));
  frame->HandleCommand(cmd::kHelp);
  EXPECT_EQ(helpRuns_, 1);
}

}  // namespace
}  // namespace tavrek::ui
