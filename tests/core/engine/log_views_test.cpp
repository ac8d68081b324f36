// What the window's lists are made of: the access tree and overview, and the
// search through the log.
#include <gtest/gtest.h>

#include "core/engine/action.h"
#include "core/engine/log_search.h"
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
  // Children of a huge folder are found; a clear starts afresh.
  AccessTree huge;
  for (int i = 0; i < 1000; ++i) huge.Add(Event("/big/f" + std::to_string(i), engine::Action::kCreated));
  for (int i = 0; i < 1000; ++i) huge.Add(Event("/big/f" + std::to_string(i), engine::Action::kSize));
  EXPECT_EQ(huge.NodeCount(), 1002u);
  const NodeId big = huge.Children(huge.Children(kRootNode)[0])[0];
  EXPECT_EQ(huge.CellText(big, 4), "1000");
  EXPECT_EQ(huge.RowOf(huge.Children(big)[999]), 999u);
  huge.Clear();
  huge.Add(Event("/big/f1", engine::Action::kSize));
  EXPECT_EQ(huge.NodeCount(), 3u);
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

using State = LogSearchStep::State;
constexpr auto kOlder = SearchDirection::kOlder, kNewer = SearchDirection::kNewer;

class LogSearchTest : public ::testing::Test {
 protected:
  LogSearchTest() {
    // Rows 0 to 3, oldest first: path and pid (11 is touch, 22 is cp).
    for (const auto& [path, pid] : std::vector<std::pair<std::string, int32_t>>{
             {"/w/Alpha.txt", 11}, {"/w/beta.txt", 22}, {"/w/Ärger.txt", 0}, {"/w/alpha-2", 22}}) {
      ChangeEvent event;
      event.path = path;
      event.action = Action::kWritten;
      event.pid = pid;
      names_.Note(pid);
      log_.AddEvent(event, {});
    }
  }

  ProcessNames names_{[](int32_t pid) -> std::optional<std::string> {
                        return pid == 11 ? "touch" : pid == 22 ? std::optional<std::string>("cp") : std::nullopt;
                      },
                      {}};
  ChangeLog log_{names_};
};

struct SearchCase {
  std::string_view text;
  std::optional<size_t> from;
  SearchDirection direction;
  State state;
  size_t row;
  bool wrapped;
};

TEST_F(LogSearchTest, FindsTextInAnyColumnWithoutRegardToCaseWrapsAndLooksAtTheRowsAsked) {
  const SearchCase cases[] = {
      {"ALPHA", std::nullopt, kOlder, State::kFound, 3, false},  // newest first
      {"alpha", 3, kOlder, State::kFound, 0, false},
      {"alpha", 0, kOlder, State::kFound, 3, true},
      {"alpha", 0, kNewer, State::kFound, 3, false},
      {"Alpha", std::nullopt, kNewer, State::kFound, 0, false},  // oldest first
      {"beta", 1, kOlder, State::kFound, 1, true},                 // the only match, again
      {"äRGER", std::nullopt, kOlder, State::kFound, 2, false},
      {"TOUCH (11)", std::nullopt, kOlder, State::kFound, 0, false},  // process column
      {"(22)", 2, kNewer, State::kFound, 3, false},
      {"00 (ID:", std::nullopt, kOlder, State::kFound, 3, false},  // "Intern"
      {"00:00:00.0", 1, kNewer, State::kFound, 2, false},         // "Zeit"
      {"gamma", 2, kOlder, State::kNotFound, 0, true},
  };
  for (const SearchCase& c : cases) {
    const LogSearchStep step = LogSearch(log_, c.text, log_.size(), c.from, c.direction).Step(log_.size());
    EXPECT_EQ(step.state, c.state) << c.text;
    if (c.state == State::kFound) {
      EXPECT_EQ(step.row, c.row) << c.text;
    }
    EXPECT_EQ(step.wrapped, c.wrapped) << c.text;
  }
  // A step looks at no more rows than asked, and not beyond its rows.
  LogSearch search(log_, "beta", log_.size(), std::nullopt, kOlder);
  EXPECT_EQ(search.Step(1).state, State::kSearching);  // row 3
  EXPECT_EQ(search.Step(1).state, State::kSearching);  // row 2
  EXPECT_EQ(search.Step(1).row, 1u);
  // Rows added after the search began are not searched.
  LogSearch older(log_, "alpha-2", 3, std::nullopt, kOlder);
  EXPECT_EQ(older.Step(10).state, State::kNotFound);
  EXPECT_EQ(LogSearch(log_, "", log_.size(), std::nullopt, kOlder).Step(10).state, State::kNotFound);
  ChangeEvent odd;  // a name the log shows escaped is found as it is shown
  odd.path = "/w/a\x1b\\b";
  log_.AddEvent(odd, {});
  EXPECT_EQ(LogSearch(log_, "A\\x1B\\\\", log_.size(), std::nullopt, kOlder).Step(1).row, 4u);
  for (const char* name : {"/w/tab\tname", "/w/bad\xff" "name"}) {
    odd.path = name;
    log_.AddEvent(odd, {});
  }
  EXPECT_EQ(LogSearch(log_, "x09", log_.size(), std::nullopt, kOlder).Step(log_.size()).row, 5u);
  EXPECT_EQ(LogSearch(log_, "XFFname", log_.size(), std::nullopt, kOlder).Step(log_.size()).row, 6u);
}

}  // namespace
}  // namespace tavrek::engine
