#include "core/engine/log_search.h"

#include <gtest/gtest.h>

#include "core/engine/action.h"

namespace tavrek::engine {
namespace {

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
}

}  // namespace
}  // namespace tavrek::engine
