#include "core/window/list_menu.h"

#include <gtest/gtest.h>

#include "core/app/command_ids.h"

namespace tavrek::window {
namespace {

namespace entry = app::list_menu;

// The menus as the window shows them are driven in tests/ui/lists/list_menu_test;
// here what that test does not reach: cuts by character, escapes, file nodes.
TEST(ListMenuTest, ShownPathIsCutByCharactersBeyondSixtyFour) {
  std::string umlauts, cut;
  for (int i = 0; i < 64; ++i) umlauts += "ä";
  EXPECT_EQ(ShownPath(umlauts), umlauts);
  for (int i = 0; i < 63; ++i) cut += "ä";
  EXPECT_EQ(ShownPath(umlauts + "b"), cut + " ...");
}

TEST(ListMenuTest, AMarkedPathIsShownEscapedAndProposedAsTextOnly) {
  const auto marked = ListMenu("/a\\b\x1b/c\xE9", false);
  EXPECT_EQ(marked[5].text, "Explore (/a\\\\b\\x1b/c\\xe9)");
  EXPECT_TRUE(marked[6].enabled);
  EXPECT_FALSE(marked[0].checked);
  EXPECT_TRUE(ListMenu("", true)[0].checked);
  EXPECT_EQ(FilterPatternOf("/a\\b\x1b/c\xE9/f"), "/a\\b\x1b/c");
}

// An entry's text and the id the window acts on belong together.
TEST(ListMenuTest, TheLogOffersItsRowsProcessAsAPatternThatMatchesIt) {
  EXPECT_EQ(ListMenu("/a", false).size(), 7u);  // a list without processes: no entry
  const MenuEntry named = ListMenu("/a", false, "touch").back();
  EXPECT_EQ(named.id, entry::kFilterProcess);
  EXPECT_EQ(named.text, "Filter (Prozess: touch)");
  EXPECT_TRUE(named.enabled);
  const MenuEntry unnamed = ListMenu("/a", false, "").back();
  EXPECT_EQ(unnamed.text, "Filter (Prozess)");
  EXPECT_FALSE(unnamed.enabled);
  EXPECT_EQ(ProcessPatternOf("touch"), "touch");
  EXPECT_EQ(ProcessPatternOf("a;b"), "a*");
  EXPECT_EQ(ProcessPatternOf("x\xff"), "x*");
}

TEST(ListMenuTest, EveryPathEntryCarriesTheIdOfWhatItSays) {
  const auto list = ListMenu("/a", false);
  const auto tree = TreeMenu(TreeMenuNode{"/", true}, false, false);
  const std::pair<const MenuEntry*, int> rows[] = {
      {&list[5], entry::kExplorePath}, {&list[6], entry::kFilterPath}, {&tree[8], entry::kScanNode},
      {&tree[9], entry::kExploreNode}, {&tree[11], entry::kExpandLevel0}, {&tree[15], entry::kExpandAll}};
  const std::string_view texts[] = {"Explore (", "Filter (", "Scann ", "Explore ", "Expand 0", "Expand alle"};
  for (size_t i = 0; i < std::size(rows); ++i) {
    EXPECT_TRUE(rows[i].first->text.starts_with(texts[i])) << rows[i].first->text;
    EXPECT_EQ(rows[i].first->id, rows[i].second) << texts[i];
  }
}

TEST(ListMenuTest, AFileNodeOffersNeitherScanNorExplore) {
  const auto file = TreeMenu(TreeMenuNode{"a.txt", false}, false, true);
  for (const MenuEntry& item : file) {
    EXPECT_NE(item.id, entry::kScanNode);
    EXPECT_NE(item.id, entry::kExploreNode);
  }
  EXPECT_EQ(file.back().id, entry::kExpandAll);
  EXPECT_EQ(ExpandLevels(entry::kExpandLevel3), 3);
  EXPECT_EQ(ExpandLevels(entry::kExpandAll), kExpandAllLevels);
  EXPECT_EQ(ExpandLevels(entry::kExploreNode), std::nullopt);
  EXPECT_EQ(ContainingFolder("/a.txt"), "/");
  EXPECT_EQ(ContainingFolder("a.txt"), "a.txt");
}

}  // namespace
}  // namespace tavrek::window
