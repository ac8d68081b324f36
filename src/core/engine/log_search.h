#pragma once
// Finds a text in the cells of the change log, letter case aside, one
// bounded slice of rows at a time: a log of millions of rows is searched in
// steps between which its owner stays responsive. The rows searched are those
// the log held when the search began; rows added meanwhile are not, and a
// cleared log ends the search (the owner drops it).
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine/change_log.h"

namespace tavrek::engine {

// The log's rows are stored oldest first; a view shows the newest on top, so
// "down" in the view goes towards older rows.
enum class SearchDirection {
  kOlder,  // towards lower row indices
  kNewer,  // towards higher row indices
};

struct LogSearchStep {
  enum class State { kSearching, kFound, kNotFound };
  State state = State::kSearching;
  size_t row = 0;        // the log row found
  bool wrapped = false;  // the search went past the last row and began again at the other end
};

// Whether a text holds another, letter case aside (Unicode simple case
// mapping; bytes that are no UTF-8 compare as they are).
class CaseBlindFinder {
 public:
  explicit CaseBlindFinder(std::string_view needle);
  bool FoundIn(std::string_view text);
  // The same in the text as a list shows it: a name with control characters
  // or bytes that are no UTF-8 is shown, and so found, with its escapes.
  bool FoundInShown(std::string_view text);
  bool empty() const { return needle_.empty(); }

 private:
  std::string needle_;  // lower-cased
  std::string folded_;  // the last text lower-cased, kept to spare allocations
};

class LogSearch {
 public:
  // Searches rows [0, rowCount) of `log` for `text` in any column, beginning
  // with the row after `from` in `direction` and ending with `from` itself;
  // without `from`, beginning at the end the direction starts from (the
  // newest row for kOlder, the oldest for kNewer).
  LogSearch(const ChangeLog& log, std::string_view text, size_t rowCount, std::optional<size_t> from,
            SearchDirection direction);

  // Looks at up to `rows` rows; kSearching while rows are left.
  LogSearchStep Step(size_t rows);

 private:
  bool RowHolds(size_t row);
  bool CachedHolds(std::vector<int8_t>& hits, size_t id, size_t row, int column);
  void Advance();

  const ChangeLog& log_;
  CaseBlindFinder finder_;
  bool timeMayHold_;    // whether the needle could be part of a time text
  size_t rowCount_;
  SearchDirection direction_;
  size_t next_ = 0;
  size_t looked_ = 0;
  bool wrapped_ = false;
  static constexpr int8_t kUnknown = -1;
  std::vector<int8_t> actionHits_;  // by action id: -1 not looked at, 0 no, 1 yes
  std::vector<int8_t> userHits_;    // the same by user id
};

}  // namespace tavrek::engine
