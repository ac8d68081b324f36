// The window's lists going out: the toolbars' Export and Explore, the list
// menu, the favourites commands.
#include <gtest/gtest.h>

#include <QHeaderView>

#include "core/app/command_ids.h"
#include "ui/common/text.h"
#include "ui/lists/explore_path.h"
#include "ui/window/window_fixture.h"

namespace tavrek::ui {
namespace {

namespace cmd = app::command;
using tavrek::testing::TempFolder;

class ListCommandsTest : public WatchWindowTest {
 protected:
  void SetUp() override {
    WatchWindowTest::SetUp();
    SetFileManagerCall([this](const ExploreRequest& request, std::function<void(bool)> answered) {
      requests_.push_back(request);
      answered(true);
    });
  }
  void TearDown() override { SetFileManagerCall({}); }

  // A window that watched the folder: its log holds the start row.
  std::unique_ptr<WatchWindow> WatchingWindow() {
    auto window = MakeWindow();
    window->HandleCommand(cmd::kDoScan, ToQString(watched_.path().string()));
    window->FlushViews();
    return window;
  }

  TempFolder watched_;
  TempFolder out_;
  std::vector<ExploreRequest> requests_;
};

TEST_F(ListCommandsTest, LogExportsFromTheToolbarAndTheListMenu) {
  auto window = WatchingWindow();
  ASSERT_GT(window->changeLog()->model()->rowCount(), 0);
  const std::filesystem::path csv = out_ / "log.csv";
  Dialogs::QueueSaveFileChoice(SaveFileChoice{ToQString(csv.string()), 1});
  window->HandleCommand(cmd::kLogExport);
  EXPECT_EQ(Dialogs::saveFileRequests().back().proposedName, QStringLiteral("Export_Tavrek"));
  EXPECT_NE(Bytes(csv).find(ToUtf8(LogCell(*window, 0, 3))), std::string::npos);

  // A column narrowed away is left out, as the view shows it.
  window->changeLog()->horizontalHeader()->setMinimumSectionSize(0);
  window->changeLog()->setColumnWidth(4, 5);
  Dialogs::QueueMenuChoice(cmd::kListExport);
  Dialogs::QueueSaveFileChoice(SaveFileChoice{ToQString((out_ / "menu.txt").string()), 0});
  emit window->changeLog()->customContextMenuRequested(QPoint(2, 2));
  EXPECT_EQ(Dialogs::saveFileRequests().back().proposedName, QStringLiteral("Export_Tavrek_Log"));
  const std::string menuText = Bytes(out_ / "menu.txt");
  EXPECT_EQ(menuText.substr(0, menuText.find("\r\n")), "\tZeit\tAktion\tName\tUser (Beta)\tIntern\tProzess\t");
}

TEST_F(ListCommandsTest, ExploreButtonsOpenTheMarkedRowsPath) {
  auto window = WatchingWindow();
  window->HandleCommand(cmd::kLogExploreSelect);  // nothing marked: nothing
  EXPECT_TRUE(requests_.empty());
  window->changeLog()->setCurrentIndex(window->changeLog()->model()->index(0, 0));
  const QString path = LogCell(*window, 0, 3);
  window->HandleCommand(cmd::kLogExploreSelect);
  window->HandleCommand(cmd::kLogExplore);
  ASSERT_EQ(requests_.size(), 2u);
  EXPECT_EQ(requests_[0].method, QStringLiteral("ShowItems"));
  EXPECT_EQ(requests_[0].uris, QStringList{QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded)});
  EXPECT_EQ(requests_[1].method, QStringLiteral("ShowFolders"));
}

TEST_F(ListCommandsTest, AccessExportTakesTheTreeWhenGroupedAndFavouritesSaveTheSetup) {
  auto window = WatchingWindow();
  ASSERT_TRUE(window->access().grouped());
  Dialogs::QueueSaveFileChoice(SaveFileChoice{ToQString((out_ / "tree").string()), 0});
  window->HandleCommand(cmd::kAccessExport);
  EXPECT_EQ(Bytes(out_ / "tree.txt").substr(0, 6), "Datei\t");

  settings_.WriteString("Favoriten", "Ordner", out_.path().string());
  Dialogs::QueueNameAnswer(NameAnswer{QStringLiteral("Projekt"), 1});
  window->HandleCommand(cmd::kAddToFavourites);
  EXPECT_NE(Bytes(out_ / "Projekt.tvk").find(watched_.path().string()), std::string::npos);
}

}  // namespace
}  // namespace tavrek::ui
