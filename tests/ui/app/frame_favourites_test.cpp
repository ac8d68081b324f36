// The frame's favourites menu and "&Verwalten".
#include <gtest/gtest.h>

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTableWidget>

#include "core/app/command_ids.h"
#include "ui/app/frame_fixture.h"
#include "ui/lists/explore_path.h"
#include "ui/setups/favourites_menu.h"
#include "ui/setups/setup_io.h"

namespace tavrek::ui {
namespace {

namespace cmd = app::command;
using testing::TempFolder;

QAction* EntryOf(QMenu& menu, int id) {
  for (QAction* action : menu.actions()) {
    if (!action->menu() && action->data().toInt() == id) return action;
  }
  return nullptr;
}

TEST_F(FrameTest, AFavouriteOpensInANewWindowOrWithCtrlInTheActiveOne) {
  auto frame = MakeFrame();
  TempFolder favourites, watched;
  settings_.WriteString("Favoriten", "Ordner", favourites.path().string());
  WatchWindow* source = frame->NewWatchWindow();
  source->HandleCommand(cmd::kDoScan, Q(watched.path()));
  ASSERT_TRUE(SaveSetup(*source, Q(favourites.path() / "Web"), true, 0));
  source->HandleCommand(cmd::kDoScan, Q(favourites.path()));  // watches something else now

  FavouritesMenu* favouritesMenu = frame->favouritesMenu();
  ASSERT_NE(favouritesMenu, nullptr);
  QMenu* menu = qobject_cast<QMenu*>(favouritesMenu->parent());
  ASSERT_NE(menu, nullptr);
  emit menu->aboutToShow();
  QAction* web = EntryOf(*menu, 1001);
  ASSERT_NE(web, nullptr);
  EXPECT_EQ(web->text(), QStringLiteral("Web.tvk"));

  web->trigger();
  ASSERT_EQ(Windows(*frame).size(), 2);
  EXPECT_EQ(Folders(*Watch(Windows(*frame)[1])), QStringList{Q(watched.path())});

  frame->mdiArea()->setActiveSubWindow(Windows(*frame)[0]);
  keys_ = Qt::ControlModifier;
  web->trigger();
  EXPECT_EQ(Windows(*frame).size(), 2);
  EXPECT_EQ(Folders(*source), QStringList{Q(watched.path())});
}

TEST_F(FrameTest, ManagingTheFavouritesOpensTheirFolder) {
  auto frame = MakeFrame();
  TempFolder favourites;
  settings_.WriteString("Favoriten", "Ordner", favourites.path().string());
  std::vector<ExploreRequest> requests;
  SetFileManagerCall([&](const ExploreRequest& request, std::function<void(bool)> answered) {
    requests.push_back(request);
    answered(true);
  });
  EXPECT_TRUE(frame->HandleCommand(cmd::kManageFavourites));
  SetFileManagerCall({});
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, QStringLiteral("ShowFolders"));
}

}  // namespace
}  // namespace tavrek::ui
