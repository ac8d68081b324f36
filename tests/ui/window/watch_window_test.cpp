#include "ui/window/watch_window.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <fstream>

#include "core/app/command_ids.h"
#include "core/app/control_ids.h"
#include "core/app/settings_store.h"
#include "core/platform/registry_store.h"
#include "ui/support/pump.h"
#include "support/temp_folder.h"
#include "ui/common/dialogs.h"
#include "ui/lists/tree_list.h"
#include "ui/window/control_states.h"
#include "ui/window/window_fixture.h"

namespace tavrek::ui {
namespace {

namespace cmd = app::command;
namespace id = app::control;
namespace choice = app::menu_choice;
using tavrek::testing::PumpUntil;
using tavrek::testing::TempFolder;

TEST_F(WatchWindowTest, FirstRunShowsEveryBoxTickedGridLinesTheTreeAndTheWholeDrive) {
  auto window = MakeWindow();
  for (int boxId = id::kBoxCreation; boxId <= id::kBoxSubtree; ++boxId) {
    EXPECT_TRUE(Box(*window, boxId)->isChecked()) << boxId;
  }
  EXPECT_TRUE(window->changeLog()->showGrid());
  EXPECT_TRUE(window->accessList()->showGrid());
  EXPECT_TRUE(window->accessTree()->isVisible());
  EXPECT_FALSE(window->accessList()->isVisible());
  EXPECT_EQ(Folders(*window), QStringList{QStringLiteral("/")});
  EXPECT_EQ(Caption(*window), QStringLiteral("Start ...."));
  EXPECT_EQ(window->logFilterCaption(), QStringLiteral(">> Diese Dateien nicht Protokollieren "));
  EXPECT_FALSE(window->ToolbarAction(cmd::kLogExplore)->isEnabled());
  EXPECT_TRUE(static_cast<QLabel*>(window->Control(id::kSystemLine))->text().endsWith(
      QStringLiteral("Testsystem")));
}

TEST_F(WatchWindowTest, BoxClickRestartsAndBoxStatesOutliveTheWindow) {
  TempFolder watched;
  {
    auto window = MakeWindow();
    window->HandleCommand(cmd::kDoScan, QString::fromStdString(watched.path().string()));
    window->HandleCommand(cmd::kStartStop);
    EXPECT_EQ(Caption(*window), QStringLiteral("Start ...."));
    Box(*window, id::kBoxSize)->click();  // a click starts a stopped watch
    EXPECT_EQ(Caption(*window), QStringLiteral("Stop ...."));
    EXPECT_EQ(window->session().options().size, 0);
    EXPECT_EQ(LogCell(*window, 0, 2), QStringLiteral("Starte Überwachung 7"));
  }
  EXPECT_EQ(registry_.GetDword(kWatchDialogKey, "450"), 0u);  // 1104
  EXPECT_EQ(registry_.GetDword(kWatchDialogKey, "44d"), 1u);  // 1101
  auto next = MakeWindow();
  EXPECT_FALSE(Box(*next, id::kBoxSize)->isChecked());
  EXPECT_TRUE(Box(*next, id::kBoxWrite)->isChecked());
}

TEST_F(WatchWindowTest, LayoutSharesTheWidthRightOfTheOptionColumn) {
  auto window = MakeWindow();
  const QRect boxBefore = Box(*window, id::kBoxCreation)->geometry();
  for (QSize size : {QSize(800, 500), QSize(1400, 900), QSize(300, 200)}) {
    window->resize(size);
    QCoreApplication::processEvents();
    const QRect access = window->accessList()->geometry();
    const int edge = window->accessList()->x() + access.width();
    const int w = std::max(0, edge - access.x());
    EXPECT_EQ(window->folderList()->width(), static_cast<int>(w * 0.65)) << size.width();
    EXPECT_EQ(window->filterList()->width(), static_cast<int>(w * 0.34)) << size.width();
    EXPECT_EQ(window->filterList()->x(), access.x() + window->folderList()->width() + 5);
    // The log is 15 pixels shorter, and shorter still by what its toolbar
    // needs beyond the 20 pixels above it.
    const int toolbarExtra = std::max(0, window->Control(id::kLogToolbar)->height() - 20);
    if (access.height() > 15 + toolbarExtra) {
      EXPECT_EQ(window->changeLog()->height(), access.height() - 15 - toolbarExtra);
    }
    EXPECT_EQ(window->accessTree()->geometry(), access);
    EXPECT_EQ(Box(*window, id::kBoxCreation)->geometry(), boxBefore);
  }
}

TEST_F(WatchWindowTest, FilterDialogAddsSortedMergedRowsAndRemembersItsText) {
  auto window = MakeWindow();
  Dialogs::QueueFilterAnswer(FilterDialogAnswer{QStringLiteral("*.txt;;*.dok;"), 1});
  window->HandleCommand(cmd::kAddFilter);
  ASSERT_EQ(window->filterList()->rowCount(), 2);
  EXPECT_EQ(window->filterList()->item(0, 0)->text(), QStringLiteral("*.txt"));
  EXPECT_EQ(window->filterList()->item(1, 0)->text(), QStringLiteral("*.dok"));
  EXPECT_EQ(window->filterList()->item(1, 1)->text(), QStringLiteral("Diese Dateien nicht überwachen"));
  EXPECT_EQ(window->filterList()->item(0, 0)->checkState(), Qt::Checked);
  EXPECT_EQ(settings_.GetString("Filter", "box", ""), "*.txt;;*.dok;");

  // The same pattern in capitals merges with the listed row, which stands lower
  // and so wins.
  Dialogs::QueueFilterAnswer(FilterDialogAnswer{QStringLiteral("*.TXT"), 0});
  window->HandleCommand(cmd::kAddFilter);
  ASSERT_EQ(window->filterList()->rowCount(), 2);
  EXPECT_EQ(window->filterList()->item(0, 0)->text(), QStringLiteral("*.txt"));

  Dialogs::QueueFilterAnswer(std::nullopt);  // cancelled: nothing changes
  window->HandleCommand(cmd::kAddFilter);
  EXPECT_EQ(window->filterList()->rowCount(), 2);

  window->filterList()->selectRow(0);
  Dialogs::QueueMenuChoice(choice::kFilterRemoveMarked);
  window->ShowFilterListMenu({});
  ASSERT_EQ(window->filterList()->rowCount(), 1);
  EXPECT_EQ(window->filterList()->item(0, 0)->text(), QStringLiteral("*.dok"));
  Dialogs::QueueMenuChoice(choice::kFilterRemoveAll);
  window->ShowFilterListMenu({});
  EXPECT_EQ(window->filterList()->rowCount(), 0);
}

TEST_F(WatchWindowTest, LogFilterMenuSwitchesModeAndCaption) {
  auto window = MakeWindow();
  Dialogs::QueueMenuChoice(choice::kLogFilterLogOnly);
  window->HandleCommand(cmd::kLogFilterMenu);
  EXPECT_EQ(window->logFilterCaption(), QStringLiteral(">> Nur diese Dateien Protokollieren"));
  Dialogs::QueueMenuChoice(choice::kNone);
  window->HandleCommand(cmd::kLogFilterMenu);
  EXPECT_EQ(window->session().logFilterMode(), engine::LogFilterMode::kLogOnlyThese);
}

TEST_F(WatchWindowTest, FolderMenuBrowsesAddsRemovesAndWatchesLocalDrives) {
  TempFolder a, b;
  const QString pathA = QString::fromStdString(a.path().string());
  const QString pathB = QString::fromStdString(b.path().string());
  auto window = MakeWindow();
  Dialogs::QueueMenuChoice(choice::kFolderBrowse);
  Dialogs::QueueFolderChoice(FolderChoice{pathA, false});
  window->HandleCommand(cmd::kFolderMenu);
  EXPECT_EQ(Folders(*window), QStringList{pathA});
  EXPECT_EQ(Caption(*window), QStringLiteral("Stop ...."));

  Dialogs::QueueMenuChoice(choice::kFolderBrowse);
  Dialogs::QueueFolderChoice(FolderChoice{pathB, true});  // Ctrl held: added
  window->ShowFolderMenu({}, true);
  EXPECT_EQ(Folders(*window).size(), 2);

  window->folderList()->selectAll();
  Dialogs::QueueMenuChoice(choice::kFolderRemoveMarked);
  window->ShowFolderMenu({}, true);
  EXPECT_TRUE(Folders(*window).isEmpty());
  EXPECT_EQ(Caption(*window), QStringLiteral("Stop ...."));  // restarted with nothing

  localDrives_ = a.path().string() + "," + b.path().string() + ",";
  Dialogs::QueueMenuChoice(choice::kFolderAllLocalDrives);
  window->ShowFolderMenu({}, false);
  EXPECT_EQ(Folders(*window).size(), 2);

  Dialogs::QueueMenuChoice(choice::kFolderRemoveAll);
  window->ShowFolderMenu({}, true);
  EXPECT_TRUE(Folders(*window).isEmpty());
  EXPECT_EQ(Caption(*window), QStringLiteral("Start ...."));

  Dialogs::QueueMenuChoice(choice::kFolderBrowse);
  Dialogs::QueueFolderChoice(FolderChoice{QString(), false});
  window->ShowFolderMenu({}, false);
  ASSERT_EQ(Dialogs::messages().size(), 1u);
  EXPECT_EQ(Dialogs::messages()[0].text, QStringLiteral("Failed to get directory"));
}

TEST_F(WatchWindowTest, MissingFolderIsMarkedInTheFolderList) {
  TempFolder a;
  auto window = MakeWindow();
  window->HandleCommand(cmd::kDoScan, QString::fromStdString((a.path() / "gone").string()));
  ASSERT_EQ(window->folderList()->rowCount(), 1);
  EXPECT_EQ(window->folderList()->item(0, 0)->toolTip(), QStringLiteral("Fehler"));
}

TEST_F(WatchWindowTest, RealChangesFillLogStatisticsAndFilteredCount) {
  TempFolder watched;
  auto window = MakeWindow();
  Dialogs::QueueFilterAnswer(FilterDialogAnswer{QStringLiteral("*.log"), 1});
  window->HandleCommand(cmd::kAddFilter);
  window->HandleCommand(cmd::kDoScan, QString::fromStdString(watched.path().string()));
  ASSERT_TRUE(PumpUntil([&] { return window->session().SourcesReady(); }));
  watched.Write("sub/a.txt", "hello");
  watched.Write("sub/b.log", "x");
  auto* filtered = static_cast<QLabel*>(window->Control(id::kFilteredCount));
  ASSERT_TRUE(PumpUntil([&] {
    return filtered->text() != QStringLiteral("Gefiltert:0") &&
           window->accessTree()->model()->rowCount() > 0 &&
           window->accessList()->model()->rowCount() >= 2;
  }));
  EXPECT_TRUE(filtered->text().startsWith(QStringLiteral("Gefiltert:")));
  // The newest row is on top and names a path below the watched folder.
  EXPECT_TRUE(LogCell(*window, 0, 3).startsWith(QString::fromStdString(watched.path().string())));

  // Switching views loses nothing; reset empties both.
  const int overviewRows = window->accessList()->model()->rowCount();
  Dialogs::QueueMenuChoice(choice::kViewSimple);
  window->HandleCommand(cmd::kAccessView);
  EXPECT_TRUE(window->accessList()->isVisible());
  EXPECT_EQ(settings_.GetInt("Show", "Liste_Gruppe", 1), 0);
  Dialogs::QueueMenuChoice(choice::kViewGroupedTimes);
  window->HandleCommand(cmd::kAccessView);
  EXPECT_TRUE(window->accessTree()->isVisible());
  EXPECT_EQ(window->accessList()->model()->rowCount(), overviewRows);
  window->HandleCommand(cmd::kAccessReset);
  EXPECT_EQ(window->accessList()->model()->rowCount(), 0);
  EXPECT_EQ(window->accessTree()->model()->rowCount(), 0);
  window->HandleCommand(cmd::kLogReset);
  EXPECT_EQ(window->changeLog()->model()->rowCount(), 0);
}

TEST_F(WatchWindowTest, UnknownCommandsAreNotHandled) {
  auto window = MakeWindow();
  EXPECT_FALSE(window->HandleCommand(4711));
}

}  // namespace
}  // namespace tavrek::ui
