// A new user's walk through the frame: what each step shows on screen.
#include <QComboBox>
#include <QDialog>
#include <QTimer>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <set>

#include "core/app/command_ids.h"
#include "ui/app/address_box.h"
#include "ui/app/frame_fixture.h"
#include "ui/app/frame_tab_bar.h"
#include "ui/app/tray_controller.h"
#include "ui/lists/explore_path.h"
#include "ui/setups/favourite_commands.h"
#include "ui/support/pump.h"

namespace tavrek::ui {
namespace {

namespace cmd = app::command;
using testing::PumpUntil;
using testing::TempFolder;
using FrameWalkTest = FrameTest;

// Enter reaches the box itself: its edit field leaves the focus to it.
TEST_F(FrameWalkTest, EnterInTheAddressBoxOpensTheFolderByTheKeysHeld) {
  auto frame = MakeFrame();
  TempFolder first, second;
  QComboBox* box = frame->addressBox()->comboBox();
  const QString missing = Q(first.path() / "fehlt");
  struct Step { QString text; Qt::KeyboardModifiers keys; int windows; QStringList activeFolders; };
  const Step steps[] = {{Q(first.path()), Qt::NoModifier, 1, {Q(first.path())}},
                        {Q(second.path()), Qt::NoModifier, 2, {Q(second.path())}},
                        {Q(first.path()), Qt::ControlModifier, 2, {Q(first.path())}},
                        {Q(second.path()), Qt::ShiftModifier, 2, {Q(first.path()), Q(second.path())}},
                        {missing, Qt::NoModifier, 2, {Q(first.path()), Q(second.path())}}};
  for (const Step& step : steps) {
    keys_ = step.keys;
    box->lineEdit()->setText(step.text);
    QTest::keyClick(box, Qt::Key_Return);
    ASSERT_EQ(Windows(*frame).size(), step.windows) << step.text.toStdString();
    QStringList shown = Folders(*frame->activeWatchWindow()), wanted = step.activeFolders;
    shown.sort();
    wanted.sort();
    EXPECT_EQ(shown, wanted);
  }
  EXPECT_EQ(frame->mdiArea()->currentSubWindow()->windowTitle(), Q(second.path()));
  ASSERT_EQ(Dialogs::messages().size(), 1u);
  EXPECT_EQ(Dialogs::messages()[0].text, QStringLiteral("Verzeichnis ?\n\n") + missing);
}

TEST_F(FrameWalkTest, AFirstStartFitsTheScreenAndToTrayKeepsOrRestoresTheState) {
  auto frame = MakeFrame();
  const QRect free = frame->screen()->availableGeometry();
  EXPECT_TRUE(free.contains(frame->geometry()));
  EXPECT_LT(frame->height(), free.height());  // room for a title bar
  EXPECT_TRUE(free.contains(QRect(frame->statusBar()->mapToGlobal(QPoint()), frame->statusBar()->size())));

  frame->showMaximized();
  frame->HandleCommand(cmd::kToTray);
  EXPECT_FALSE(frame->isVisible());
  frame->HandleCommand(cmd::kToTray);
  EXPECT_TRUE(frame->isVisible() && frame->isMaximized());

  trayAvailable_ = false;
  auto trayless = MakeFrame();
  for (int round = 0; round < 2; ++round) {
    trayless->statusBar()->clearMessage();
    trayless->HandleCommand(cmd::kToTray);
    EXPECT_TRUE(trayless->isVisible() && !trayless->isMinimized());
    EXPECT_EQ(trayless->statusBar()->currentMessage(), TrayController::NoTrayText());
  }
}

TEST_F(FrameWalkTest, TabsCloseOnTheirIconOnlyAndTheStatusBarForgetsThem) {
  auto frame = MakeFrame();
  TempFolder folder;
  frame->NewWatchWindow();
  frame->OpenFolder(Q(folder.path()), false);
  FrameTabBar* tabs = frame->tabBar();
  const QRect icon = tabs->iconRect(1);
  ASSERT_EQ(icon.size(), tabs->iconSize());
  QTest::mouseMove(tabs, icon.center());
  EXPECT_EQ(frame->statusBar()->currentMessage(), QStringLiteral("[X] Schließen"));
  QTest::mouseMove(tabs, QPoint(tabs->tabRect(1).right() + 20, icon.center().y()));
  EXPECT_TRUE(frame->statusBar()->currentMessage().isEmpty());

  QTest::mouseMove(tabs, QPoint(icon.right() + 2, icon.center().y()));
  EXPECT_EQ(frame->statusBar()->currentMessage(), Q(folder.path()));
  tabs->DoubleClickAt(QPoint(icon.right() + 2, icon.center().y()));  // beside the icon
  EXPECT_EQ(tabs->count(), 2);
  tabs->DoubleClickAt(icon.bottomRight());
  ASSERT_TRUE(PumpUntil([&] {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // the closed window goes
    return tabs->count() == 1 && frame->statusBar()->currentMessage().isEmpty();
  }));
}

TEST_F(FrameWalkTest, TheWindowMenuHasItsOwnKeyAndListsTheWindows) {
  auto frame = MakeFrame();
  std::set<QChar> keys;
  QMenu* windows = nullptr;
  for (QAction* entry : frame->menuBar()->actions()) {
    const QString title = entry->text();
    EXPECT_TRUE(keys.insert(title.at(title.indexOf(QLatin1Char('&')) + 1).toLower()).second) << title.toStdString();
    if (title == QStringLiteral("F&enster")) windows = entry->menu();
  }
  ASSERT_TRUE(windows);
  WatchWindow* first = frame->NewWatchWindow();
  frame->NewWatchWindow();
  emit windows->aboutToShow();
  const QList<QAction*> entries = windows->actions().mid(5);
  ASSERT_EQ(entries.size(), 2);
  EXPECT_EQ(entries[0]->text(), QStringLiteral("&1 Tavrek"));
  EXPECT_TRUE(entries[1]->isChecked() && !entries[0]->isChecked());
  entries[0]->trigger();
  EXPECT_EQ(frame->activeWatchWindow(), first);
}

// "Ö&ffnen...", a favourite and the window's own folder choice.
TEST_F(FrameWalkTest, WindowsAreCaptionedByTheirDocumentOrFolders) {
  auto frame = MakeFrame();
  TempFolder folder;
  const std::filesystem::path document = folder.Write("Mein Setup.tvk", "[DIR]\r\n/\r\n");
  Dialogs::QueueFileChoice(Q(document));
  frame->HandleCommand(cmd::kOpenDocument);
  EXPECT_EQ(frame->mdiArea()->currentSubWindow()->windowTitle(), QStringLiteral("Mein Setup.tvk"));

  WatchWindow* fresh = frame->NewWatchWindow();
  EXPECT_EQ(frame->mdiArea()->currentSubWindow()->windowTitle(), QStringLiteral("Tavrek"));
  Dialogs::QueueMenuChoice(app::menu_choice::kFolderBrowse);
  Dialogs::QueueFolderChoice(FolderChoice{Q(folder.path()), false});
  fresh->ShowFolderMenu(QPoint(), true);
  EXPECT_TRUE(PumpUntil([&] { return frame->mdiArea()->currentSubWindow()->windowTitle() == Q(folder.path()); }));
}

TEST_F(FrameWalkTest, FileDialogsStartAtHomeThenAtTheLastFolderAndExploreSaysWhenNothingOpens) {
  TempFolder folder;
  const QString file = Q(folder.path() / "liste.txt");
  Dialogs::QueueSaveFileChoice(SaveFileChoice{file, 0});
  Dialogs::ChooseSaveFile(nullptr, SaveFileRequest{});
  Dialogs::ChooseSaveFile(nullptr, SaveFileRequest{});
  ASSERT_EQ(Dialogs::saveFileRequests().size(), 2u);
  EXPECT_EQ(Dialogs::saveFileRequests()[0].folder, QDir::homePath());
  EXPECT_EQ(Dialogs::saveFileRequests()[1].folder, QFileInfo(file).absolutePath());

  SetFileManagerCall([](const ExploreRequest&, std::function<void(bool)> answered) { answered(false); });
  Dialogs::QueueOpenUrlFailure();
  ExplorePath(file, false);
  SetFileManagerCall({});
  ASSERT_EQ(Dialogs::messages().size(), 1u);
  EXPECT_TRUE(Dialogs::messages()[0].text.endsWith(Q(folder.path())));
}

TEST_F(FrameWalkTest, TheNameDialogIsWideEnoughForItsTitle) {
  const QString title = QStringLiteral("Tavrek Desktopverknüpfung");
  int width = 0;
  std::function<void()> look = [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) return QTimer::singleShot(0, look);
    width = dialog->width();
    dialog->reject();
  };
  QTimer::singleShot(0, look);
  EXPECT_FALSE(RunNameDialog(nullptr, nullptr, title));
  QFont bold = QApplication::font();
  bold.setBold(true);
  EXPECT_GT(width, QFontMetrics(bold).horizontalAdvance(title));
}

}  // namespace
}  // namespace tavrek::ui
