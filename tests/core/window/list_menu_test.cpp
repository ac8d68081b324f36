#include "core/window/list_menu.h"

#include <gtest/gtest.h>

#include "core/app/command_ids.h"

namespace tavrek::window {
namespace {

std::vector<int> Ids(const std::vector<MenuEntry>& entries) {
  std::vector<int> ids;
  for (const MenuEntry& entry : entries) ids.push_back(entry.id);
  return ids;
}

TEST(ListMenuTest, ShownPathIsCutOnlyBeyondSixtyFourCharacters) {
  const std::string exact(64, 'a');
  EXPECT_EQ(ShownPath(exact), exact);
  EXPECT_EQ(ShownPath(exact + "b"), std::string(63, 'a') + " ...");
  // Characters, not bytes: a name of umlauts is cut between characters.
  std::string umlauts;
  for (int i = 0; i < 65; ++i) umlauts += "ä";
  std::string cut;
  for (int i = 0; i < 63; ++i) cut += "ä";
  EXPECT_EQ(ShownPath(umlauts), cut + " ...");
}

TEST(ListMenuTest, WithoutAMarkedRowBothPathEntriesAreDisabled) {
  const auto entries = ListMenu("", true);
  EXPECT_EQ(Ids(entries), (std::vector<int>{32864, 32789, 0, 32000, 32001, 1000, 1001}));
  EXPECT_EQ(entries[5].text, "Explore (Kein Path markiert)");
  EXPECT_EQ(entries[6].text, "Filter (Kein Path markiert)");
  EXPECT_FALSE(entries[5].enabled);
  EXPECT_FALSE(entries[6].enabled);
  EXPECT_TRUE(entries[0].checked);
  EXPECT_TRUE(entries[1].isDefault);

  const auto marked = ListMenu("/home/a.txt", false);
  EXPECT_EQ(marked[5].text, "Explore (/home/a.txt)");
  EXPECT_TRUE(marked[6].enabled);
  EXPECT_FALSE(marked[0].checked);
  // A path is shown escaped; a pattern proposed for it stops before a byte that is no text.
  EXPECT_EQ(ListMenu("/a\\b\x1b/c\xE9", false)[5].text, "Explore (/a\\\\b\\x1b/c\\xe9)");
  EXPECT_EQ(FilterPatternOf("/a\\b\x1b/c\xE9/f"), "/a\\b\x1b/c");
}

TEST(ListMenuTest, TreeMenuOffersScanAndExploreOnlyForAFolderNode) {
  EXPECT_EQ(Ids(TreeMenu(std::nullopt, false, false)),
            (std::vector<int>{32864, 32789, 0, 32000, 32001}));
  const auto file = TreeMenu(TreeMenuNode{"a.txt", false}, false, true);
  EXPECT_EQ(Ids(file), (std::vector<int>{32864, 32789, 0, 32000, 32001, 442, 443, 0, 446, 447,
                                         448, 449, 450}));
  EXPECT_TRUE(file[6].checked);
  EXPECT_EQ(file[8].text, "Expand 0 Level");
  EXPECT_EQ(file[12].text, "Expand alle Level");
  const auto folder = TreeMenu(TreeMenuNode{"/", true}, true, false);
  ASSERT_EQ(folder.size(), 16u);
  EXPECT_EQ(folder[8].text, "Scann /");
  EXPECT_TRUE(folder[8].isDefault);
  EXPECT_EQ(folder[9].text, "Explore /");
  EXPECT_FALSE(folder[1].isDefault);
}

TEST(ListMenuTest, ExpandLevelsAndFolders) {
  EXPECT_EQ(ExpandLevels(446), 0);
  EXPECT_EQ(ExpandLevels(449), 3);
  EXPECT_EQ(ExpandLevels(450), kExpandAllLevels);
  EXPECT_EQ(ExpandLevels(445), std::nullopt);
  EXPECT_EQ(ContainingFolder("/daten/a.txt"), "/daten");
  EXPECT_EQ(ContainingFolder("/a.txt"), "/");
  EXPECT_EQ(ContainingFolder("a.txt"), "a.txt");
}

}  // namespace
}  // namespace tavrek::window
