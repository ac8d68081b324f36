// A new user's walk through the frame: what each step shows on screen.
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTest>

#include "core/app/command_ids.h"
#include "ui/app/address_box.h"
#include "ui/app/frame_fixture.h"
#include "ui/app/frame_tab_bar.h"
#include "ui/app/tray_controller.h"
#include "ui/lists/explore_path.h"
#include "ui/support/pump.h"

namespace tavrek::ui {
namespace {

namespace cmd = app::command;
using testing::TempFolder;
using FrameWalkTest = FrameTest;

QString ActiveCaption(MainFrame& frame) { return frame.mdiArea()->currentSubWindow()->windowTitle(); }

// Enter reaches the box itself: its edit field leaves the focus to it.
TEST_F(FrameWalkTest, EnterInTheAddressBoxOpensTheFolderByTheKeysHeld) {
  auto frame = MakeFrame();
  TempFolder first, second;
  const QString missing = Q(first.path() / "fehlt");
  const std::tuple<QString, Qt::KeyboardModifiers, int> steps[] = {
      {Q(first.path()), Qt::NoModifier, 1}, {Q(second.path()), Qt::ControlModifier, 1}, {missing, {}, 1}};
  for (const auto& [text, keys, windows] : steps) {
    keys_ = keys;
    frame->addressBox()->comboBox()->lineEdit()->setText(text);
    QTest::keyClick(frame->addressBox()->comboBox(), Qt::Key_Return);
    ASSERT_EQ(Windows(*frame).size(), windows);
  }
  EXPECT_EQ(Folders(*frame->activeWatchWindow()), QStringList{Q(second.path())});
  EXPECT_EQ(ActiveCaption(*frame), Q(second.path()));
  ASSERT_EQ(Dialogs::messages().size(), 1u);
  EXPECT_EQ(Dialogs::messages()[0].text, QStringLiteral("Verzeichnis ?\n\n") + missing);
}

TEST_F(FrameWalkTest, AFirstStartFitsTheScreenAndToTrayKeepsOrRestoresTheState) {
  auto frame = MakeFrame();
  const QRect free = frame->screen()->availableGeometry();
  EXPECT_LT(frame->height(), free.height());  // room for a title bar
  EXPECT_TRUE(free.contains(QRect(frame->statusBar()->mapToGlobal(QPoint()), frame->statusBar()->size())));
  frame->showMaximized();
  frame->HandleCommand(cmd::kToTray);
  frame->HandleCommand(cmd::kToTray);
  EXPECT_TRUE(frame->isVisible() && frame->isMaximized());
  trayAvailable_ = false;
  auto trayless = MakeFrame();
  trayless->HandleCommand(cmd::kToTray);
  EXPECT_TRUE(trayless->isVisible() && !trayless->isMinimized());
  EXPECT_EQ(trayless->statusBar()->currentMessage(), TrayController::NoTrayText());
}

// The close zone is the icon's rectangle; Alt+E opens "F&enster", which lists the windows.
TEST_F(FrameWalkTest, TabsCloseOnTheirIconAndTheWindowMenuListsTheWindows) {
  auto frame = MakeFrame();
  TempFolder folder;
  WatchWindow* first = frame->NewWatchWindow();
  frame->OpenFolder(Q(folder.path()), false);
  FrameTabBar* tabs = frame->tabBar();
  const QRect icon = tabs->iconRect(1);
  QTest::mouseMove(tabs, icon.bottomRight());
  EXPECT_EQ(frame->statusBar()->currentMessage(), QStringLiteral("[X] Schließen"));
  QTest::mouseMove(tabs, QPoint(tabs->tabRect(1).right() + 20, icon.center().y()));
  EXPECT_TRUE(frame->statusBar()->currentMessage().isEmpty());
  QMenu* windows = frame->menuBar()->actions().at(4)->menu();
  emit windows->aboutToShow();
  const QList<QAction*> entries = windows->actions().mid(5);  // below the arranging ones
  ASSERT_EQ(entries.size(), 2);
  EXPECT_EQ(windows->title() + entries[0]->text(), QStringLiteral("F&enster&1 Tavrek"));
  EXPECT_TRUE(entries[1]->isChecked() && !entries[0]->isChecked());
  entries[0]->trigger();
  EXPECT_EQ(frame->activeWatchWindow(), first);

  tabs->DoubleClickAt(QPoint(icon.right() + 2, icon.center().y()));  // beside it: no close
  EXPECT_TRUE(tabs->windowAt(1)->isVisible());
  QTest::mouseMove(tabs, icon.center());
  tabs->DoubleClickAt(icon.bottomRight());
  ASSERT_TRUE(testing::PumpUntil([&] {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // the closed window goes
    return tabs->count() == 1 && frame->statusBar()->currentMessage().isEmpty();
  }));
}

TEST_F(FrameWalkTest, WindowsAreCaptionedByTheirDocumentOrTheFolderChosenInThem) {
  auto frame = MakeFrame();
  TempFolder folder;
  Dialogs::QueueFileChoice(Q(folder.Write("Mein Setup.tvk", "[DIR]\r\n/\r\n")));
  frame->HandleCommand(cmd::kOpenDocument);
  EXPECT_EQ(ActiveCaption(*frame), QStringLiteral("Mein Setup.tvk"));
  WatchWindow* fresh = frame->NewWatchWindow();
  EXPECT_EQ(ActiveCaption(*frame), QStringLiteral("Tavrek"));
  Dialogs::QueueMenuChoice(app::menu_choice::kFolderBrowse);
  Dialogs::QueueFolderChoice(FolderChoice{Q(folder.path()), false});
  fresh->folders().ShowMenu(QPoint(), true);
  EXPECT_TRUE(testing::PumpUntil([&] { return ActiveCaption(*frame) == Q(folder.path()); }));
}

TEST_F(FrameWalkTest, DialogsStartAtHomeThenAtTheLastFolderAndShowTheirTitleWhole) {
  TempFolder folder;
  const QString file = Q(folder.path() / "liste.txt");
  Dialogs::QueueSaveFileChoice(SaveFileChoice{file, 0});
  Dialogs::ChooseSaveFile(nullptr, SaveFileRequest{});
  Dialogs::ChooseSaveFile(nullptr, SaveFileRequest{});
  EXPECT_EQ(Dialogs::saveFileRequests()[0].folder, QDir::homePath());
  EXPECT_EQ(Dialogs::saveFileRequests()[1].folder, Q(folder.path()));
  SetFileManagerCall([](const ExploreRequest&, std::function<void(bool)> answered) { answered(false); });
  Dialogs::QueueOpenUrlFailure();
  ExplorePath(file, false);  // neither a file manager nor xdg-open
  SetFileManagerCall({});
  ASSERT_EQ(Dialogs::messages().size(), 1u);
  EXPECT_TRUE(Dialogs::messages()[0].text.endsWith(Q(folder.path())));
  QDialog named;
  named.setWindowTitle(QStringLiteral("Tavrek Desktopverknüpfung"));
  Dialogs::KeepTitleWhole(named);
  EXPECT_GT(named.minimumWidth(), named.fontMetrics().horizontalAdvance(named.windowTitle()) +
                                     3 * named.fontMetrics().height());  // and the title bar's buttons
}

}  // namespace
}  // namespace tavrek::ui
