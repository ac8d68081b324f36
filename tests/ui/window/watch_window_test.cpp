#include "ui/window/watch_window.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <filesystem>

#include "core/app/command_ids.h"
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
  EXPECT_TRUE(window->access().list()->showGrid());
  EXPECT_TRUE(window->access().tree()->isVisible());
  EXPECT_FALSE(window->access().list()->isVisible());
  EXPECT_EQ(Folders(*window), QStringList{QStringLiteral("/")});
  EXPECT_EQ(Caption(*window), QStringLiteral("Start ...."));
  EXPECT_EQ(window->filters().logFilterCaption(), QStringLiteral(">> Diese Dateien nicht Protokollieren "));
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

// Merging letter case and the order of the rows are the session's (watch_session_test).
TEST_F(WatchWindowTest, FilterDialogAddsRowsRemembersItsTextAndTheMenusRemoveThemAndSwitchTheMode) {
  auto window = MakeWindow();
  QTableWidget& filters = *window->filters().list();
  Dialogs::QueueFilterAnswer(FilterDialogAnswer{QStringLiteral("*.txt;;*.dok;"), 1});
  window->HandleCommand(cmd::kAddFilter);
  EXPECT_EQ(Column(filters, 0), (QStringList{QStringLiteral("*.txt"), QStringLiteral("*.dok")}));
  EXPECT_EQ(filters.item(1, 1)->text(), QStringLiteral("Diese Dateien nicht überwachen"));
  EXPECT_EQ(filters.item(0, 0)->checkState(), Qt::Checked);
  EXPECT_EQ(settings_.GetString("Filter", "box", ""), "*.txt;;*.dok;");
  Dialogs::QueueFilterAnswer(std::nullopt);  // cancelled: nothing changes
  window->HandleCommand(cmd::kAddFilter);
  EXPECT_EQ(filters.rowCount(), 2);

  filters.selectRow(0);
  Dialogs::QueueMenuChoice(choice::kFilterRemoveMarked);
  window->filters().ShowMenu({});
  EXPECT_EQ(Column(filters, 0), QStringList{QStringLiteral("*.dok")});
  Dialogs::QueueMenuChoice(choice::kFilterRemoveAll);
  window->filters().ShowMenu({});
  EXPECT_EQ(filters.rowCount(), 0);

  Dialogs::QueueMenuChoice(choice::kLogFilterLogOnly);  // the log filter's menu switches its mode
  window->HandleCommand(cmd::kLogFilterMenu);
  EXPECT_EQ(window->filters().logFilterCaption(), QStringLiteral(">> Nur diese Dateien Protokollieren"));
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
  window->folders().ShowMenu({}, true);
  EXPECT_EQ(Folders(*window).size(), 2);

  window->folders().list()->selectAll();
  Dialogs::QueueMenuChoice(choice::kFolderRemoveMarked);
  window->folders().ShowMenu({}, true);
  EXPECT_TRUE(Folders(*window).isEmpty());
  EXPECT_EQ(Caption(*window), QStringLiteral("Stop ...."));  // restarted with nothing

  const std::string comma = (a.path() / "x,y").string();
  std::filesystem::create_directory(comma);
  localDrives_ = {comma, b.path().string()};
  Dialogs::QueueMenuChoice(choice::kFolderAllLocalDrives);
  window->folders().ShowMenu({}, false);
  QStringList watched = Folders(*window), expected{QString::fromStdString(comma), pathB};
  watched.sort();
  expected.sort();
  EXPECT_EQ(watched, expected);  // the list is in its own order

  Dialogs::QueueMenuChoice(choice::kFolderRemoveAll);
  window->folders().ShowMenu({}, true);
  EXPECT_TRUE(Folders(*window).isEmpty());
  EXPECT_EQ(Caption(*window), QStringLiteral("Start ...."));

  Dialogs::QueueMenuChoice(choice::kFolderBrowse);
  Dialogs::QueueFolderChoice(FolderChoice{QString(), false});
  window->folders().ShowMenu({}, false);
  ASSERT_EQ(Dialogs::messages().size(), 1u);
  EXPECT_EQ(Dialogs::messages()[0].text, QStringLiteral("Failed to get directory"));
}

TEST_F(WatchWindowTest, RealChangesFillLogStatisticsAndFilteredCount) {
  TempFolder temp;
  const std::filesystem::path watched = temp / "a,b";  // one folder: "," is part of its name
  std::filesystem::create_directory(watched);
  auto window = MakeWindow();
  Dialogs::QueueFilterAnswer(FilterDialogAnswer{QStringLiteral("*.log"), 1});
  window->HandleCommand(cmd::kAddFilter);
  window->HandleCommand(cmd::kDoScan, QString::fromStdString(watched.string()));
  EXPECT_EQ(Folders(*window), QStringList{QString::fromStdString(watched.string())});
  ASSERT_TRUE(PumpUntil([&] { return window->session().SourcesReady(); }));
  temp.Write("a,b/sub/a.txt", "hello");
  temp.Write("a,b/sub/b.log", "x");
  auto* filtered = static_cast<QLabel*>(window->Control(id::kFilteredCount));
  ASSERT_TRUE(PumpUntil([&] {
    return filtered->text() != QStringLiteral("Gefiltert:0") &&
           window->access().tree()->model()->rowCount() > 0 &&
           window->access().list()->model()->rowCount() >= 2;
  }));
  EXPECT_TRUE(filtered->text().startsWith(QStringLiteral("Gefiltert:")));
  // The newest row is on top and names a path below the watched folder.
  EXPECT_TRUE(LogCell(*window, 0, 3).startsWith(QString::fromStdString(watched.string())));

  // Switching views loses nothing; reset empties both.
  const int overviewRows = window->access().list()->model()->rowCount();
  Dialogs::QueueMenuChoice(choice::kViewSimple);
  window->HandleCommand(cmd::kAccessView);
  EXPECT_TRUE(window->access().list()->isVisible());
  EXPECT_EQ(settings_.GetInt("Show", "Liste_Gruppe", 1), 0);
  Dialogs::QueueMenuChoice(choice::kViewGroupedTimes);
  window->HandleCommand(cmd::kAccessView);
  EXPECT_TRUE(window->access().tree()->isVisible());
  EXPECT_EQ(window->access().list()->model()->rowCount(), overviewRows);
  window->HandleCommand(cmd::kAccessReset);
  EXPECT_EQ(window->access().list()->model()->rowCount(), 0);
  EXPECT_EQ(window->access().tree()->model()->rowCount(), 0);
  window->HandleCommand(cmd::kLogReset);
  EXPECT_EQ(window->changeLog()->model()->rowCount(), 0);
}

TEST_F(WatchWindowTest, UnknownCommandsAreNotHandled) {
  auto window = MakeWindow();
  EXPECT_FALSE(window->HandleCommand(4711));
}

}  // namespace
}  // namespace tavrek::ui
