#include <gtest/gtest.h>

#include "core/engine/action.h"
#include "core/engine/statistics/access_overview.h"
#include "core/engine/statistics/access_tree.h"

namespace tavrek::engine {
namespace {

engine::ChangeEvent Event(std::string path, engine::Action action, uint16_t millisecond = 0) {
  engine::ChangeEvent event;
  event.path = std::move(path);
  event.action = action;
  event.time.hour = 10;
  event.time.milliseconds = millisecond;
  return event;
}

TEST(AccessTreeTest, CountsAtEveryLevelAndKeepsSiblingsInFirstChangeOrder) {
  AccessTree tree;
  EXPECT_NE(tree.Add(Event("/data/b.txt", engine::Action::kCreated)), kNoNode);
  tree.Add(Event("/data/b.txt", engine::Action::kWritten));
  tree.Add(Event("/data/b.txt", engine::Action::kWritten));
  tree.Add(Event("/data/b.txt", engine::Action::kDeleted));
  tree.Add(Event("/data/a.txt", engine::Action::kUnknown));
  EXPECT_EQ(tree.Add(Event("/data/a.txt", engine::Action::kSecurity)), kNoNode);
  tree.Add(Event("/data/A.txt", engine::Action::kCreated));  // letter case: another node

  const NodeId top = tree.Children(kRootNode)[0];
  EXPECT_EQ(tree.Name(top), "/");
  const NodeId data = tree.Children(top)[0];
  const auto files = tree.Children(data);
  ASSERT_EQ(files.size(), 3u);
  EXPECT_EQ(tree.Name(files[0]), "b.txt");
  EXPECT_EQ(tree.Name(files[1]), "a.txt");
  EXPECT_EQ(tree.CellText(files[0], 1), "1");  // Erstellzeit
  EXPECT_EQ(tree.CellText(files[0], 3), "2");  // Schreiben
  EXPECT_EQ(tree.CellText(files[0], 6), "1");  // Löschen
  EXPECT_EQ(tree.CellText(files[0], 2), "");
  EXPECT_EQ(tree.CellText(files[1], 1), "1");  // code 9 counts as creation
  EXPECT_EQ(tree.CellText(files[1], 8), "1");  // Sicherheit
  EXPECT_EQ(tree.CellText(data, 1), "3");
  EXPECT_EQ(tree.CellText(top, 3), "2");
  EXPECT_EQ(tree.node(files[0]).latestAction, engine::kActionDeleted);

  tree.setShowCounts(false);
  EXPECT_EQ(tree.CellText(files[0], 3), "10:00:00.000");
  EXPECT_EQ(tree.NodePath(files[1]), "/data/a.txt");
  EXPECT_EQ(tree.NodePath(top), "/");
}

TEST(AccessTreeTest, FindsChildrenOfAHugeFolderResetsAndSplitsPaths) {
  AccessTree tree;
  for (int i = 0; i < 1000; ++i) tree.Add(Event("/big/f" + std::to_string(i), engine::Action::kCreated));
  for (int i = 0; i < 1000; ++i) tree.Add(Event("/big/f" + std::to_string(i), engine::Action::kSize));
  EXPECT_EQ(tree.NodeCount(), 1002u);
  const NodeId big = tree.Children(tree.Children(kRootNode)[0])[0];
  EXPECT_EQ(tree.CellText(big, 4), "1000");
  EXPECT_EQ(tree.RowOf(tree.Children(big)[999]), 999u);

  tree.Clear();
  tree.Add(Event("/big/f1", engine::Action::kSize));
  EXPECT_EQ(tree.NodeCount(), 3u);
  // Path components of absolute and relative paths.
  EXPECT_EQ(PathComponents("/a//b/"), (std::vector<std::string_view>{"/", "a", "b"}));
  EXPECT_EQ(PathComponents("a/b"), (std::vector<std::string_view>{"a", "b"}));
  EXPECT_TRUE(PathComponents("").empty());
  // The overview: one row per path with the latest time per kind.
  AccessOverview overview;
  EXPECT_TRUE(overview.Add(Event("/a", engine::Action::kCreated, 1)).added);
  EXPECT_TRUE(overview.Add(Event("/b", engine::Action::kCreated, 2)).added);
  auto update = overview.Add(Event("/a", engine::Action::kWritten, 3));
  EXPECT_FALSE(update.added);
  EXPECT_EQ(update.row, 0u);
  EXPECT_EQ(overview.CellText(0, kOverviewColumnPath), "/a");
  EXPECT_EQ(overview.CellText(0, kOverviewColumnFirstSlot), "10:00:00.001");
  EXPECT_EQ(overview.CellText(0, kOverviewColumnFirstSlot + 2), "10:00:00.003");
  EXPECT_EQ(overview.CellText(0, kOverviewColumnFirstSlot + 1), "");
  EXPECT_EQ(overview.Image(0), engine::kActionWritten);

  overview.Clear();
  EXPECT_TRUE(overview.Add(Event("/a", engine::Action::kSize)).added);
  EXPECT_EQ(overview.size(), 1u);
}

}  // namespace
}  // namespace tavrek::engine
