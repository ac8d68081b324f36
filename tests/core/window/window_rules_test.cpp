// What a watch window decides without pixels: which commands it offers, its
// list menus and how its parts share the window.
#include <gtest/gtest.h>

#include "core/app/command_ids.h"
#include "core/app/control_ids.h"
#include "core/engine/file_filter.h"
#include "core/window/command_states.h"
#include "core/window/list_menu.h"
#include "core/window/window_layout.h"

namespace tavrek::window {
namespace {

namespace cmd = app::command;
namespace entry = app::list_menu;
namespace id = app::control;

// Which selection enables Explore is seen in the window (window_faults_test).
TEST(CommandStatesTest, BoxesShowAndSwitchTheirOwnOptionsAndStartStopTheWatch) {
  WindowSituation situation;
  situation.options.size = 0;
  situation.options.subtree = 0;
  situation.watching = true;
  const auto states = CommandStates(situation);
  for (int box = id::kBoxCreation; box <= id::kBoxSubtree; ++box) {
    const bool off = box == id::kBoxSize || box == id::kBoxSubtree;
    EXPECT_EQ(states.at(box), (CommandState{true, !off})) << box;
  }
  EXPECT_TRUE(states.at(cmd::kStartStop).checked);
  for (int command : {cmd::kStartStop, cmd::kAccessView, cmd::kAccessReset, cmd::kLogReset,
                      cmd::kAccessExport, cmd::kLogExport, cmd::kFolderMenu}) {
    EXPECT_TRUE(states.at(command).enabled) << command;
  }
  EXPECT_FALSE(CommandStates({}).at(cmd::kLogExplore).enabled);
  // Every box switches its own option.
  for (int box = id::kBoxCreation; box <= id::kBoxSubtree; ++box) {
    engine::WatchOptions options;
    *OptionOfBox(options, box) = 0;
    engine::WatchOptions expected;
    int cleared = 0;
    for (int other = id::kBoxCreation; other <= id::kBoxSubtree; ++other) {
      cleared += *OptionOfBox(options, other) == 0 ? 1 : 0;
    }
    EXPECT_EQ(cleared, 1) << box;
    EXPECT_NE(options, expected);
  }
  engine::WatchOptions options;
  EXPECT_EQ(OptionOfBox(options, id::kStartStop), nullptr);
}

// A pattern proposed from a row, confirmed as the dialog offers it, filters
// that row and nothing that does not begin like it, whatever the name holds.
TEST(ListMenuTest, ProposedPatternsFilterTheirRowAndNothingBroader) {
  constexpr auto kMode = engine::LogFilterMode::kDoNotLogThese;
  for (const std::string_view path : {"/w/evil;*", "/w/a*.txt", "/w/*", "/w/b\xff" "c;*", "/w/plain",
                                      "/w/in\xE2\x80\xAE" "fdp.exe", "/w/\x1b[2Jx"}) {
    const std::string pattern = FilterPatternOf(path);
    ASSERT_EQ(engine::SplitFilterText(pattern), std::vector<std::string>{pattern}) << path;
    engine::FilterSet set;
    set.Rebuild({{pattern, engine::FilterKind::kExclude, true}});
    EXPECT_TRUE(set.IsFiltered(path, kMode)) << path;
    for (const char* other : {"/v/evil", "/v/a.txt", "/x/w/a.txt", "/w"}) EXPECT_FALSE(set.IsFiltered(other, kMode)) << path;
  }
  const std::pair<std::string_view, std::string_view> names[] = {
      {"touch", "touch"}, {"a;b", "a*"}, {"x\xff", "x*"}, {"ev*l", "ev*"}, {"*", ""}, {";x", ""}};
  for (const auto& [name, expected] : names) EXPECT_EQ(ProcessPatternOf(name), expected) << name;
}

// The menus as the window shows them are driven in tests/ui/lists/list_menu_test;
// here what that test does not reach: cuts by character, escapes, file nodes.
TEST(ListMenuTest, ShowsPathsCutAndEscapedOffersTheProcessAndCarriesTheIdsItSays) {
  std::string umlauts, cut;
  for (int i = 0; i < 64; ++i) umlauts += "ä";
  EXPECT_EQ(ShownPath(umlauts), umlauts);
  for (int i = 0; i < 63; ++i) cut += "ä";
  EXPECT_EQ(ShownPath(umlauts + "b"), cut + " ...");
  // A marked path is shown escaped and proposed as text only.
  const auto marked = ListMenu("/a\\b\x1b/c\xE9", false);
  EXPECT_EQ(marked[5].text, "Explore (/a\\\\b\\x1b/c\\xe9)");
  EXPECT_EQ(ListMenu("/a&b", false)[6].text, "Filter (/a&&b)");  // "&" no mnemonic
  EXPECT_TRUE(marked[6].enabled);
  EXPECT_FALSE(marked[0].checked);
  EXPECT_TRUE(ListMenu("", true)[0].checked);
  EXPECT_EQ(FilterPatternOf("/a\\b\x1b/c\xE9/f"), "/a\\b");
  // An entry's text and the id the window acts on belong together.
  EXPECT_EQ(ListMenu("/a", false).size(), 7u);  // a list without processes: no entry
  const MenuEntry named = ListMenu("/a", false, "touch").back();
  EXPECT_EQ(named.id, entry::kFilterProcess);
  EXPECT_EQ(named.text, "Filter (Prozess: touch)");
  EXPECT_TRUE(named.enabled);
  const MenuEntry unnamed = ListMenu("/a", false, "").back();
  EXPECT_EQ(unnamed.text, "Filter (Prozess)");
  EXPECT_FALSE(unnamed.enabled);
  // Every path entry carries the id of what it says.
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
  // A file node offers neither scan nor explore.
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

LayoutInput Input(int width, int height) {
  const DialogBaseUnits base{6, 13};
  LayoutInput input;
  input.width = width;
  input.height = height;
  input.edge = 2;
  input.accessLabel = ToPixels(FindTemplateControl(id::kAccessLabel)->dialogUnits, base);
  input.accessList = ToPixels(FindTemplateControl(id::kAccessList)->dialogUnits, base);
  input.folderList = ToPixels(FindTemplateControl(id::kFolderList)->dialogUnits, base);
  return input;
}

// How the parts share the window is seen in the window itself
// (window_faults_test); here only what Qt would hide: no negative sizes.
TEST(WindowLayoutTest, TinyWindowGivesEmptyListsNotNegativeOnes) {
  const WindowLayout out = ComputeLayout(Input(50, 40));
  EXPECT_EQ(out.accessList.width, 0);
  EXPECT_EQ(out.accessList.height, 0);
  EXPECT_EQ(out.changeLog.height, 0);
  EXPECT_EQ(out.folderList.width, 0);
}

}  // namespace
}  // namespace tavrek::window
