#include "core/engine/log_search.h"

#include "core/platform/text_case.h"
#include "core/platform/visible_text.h"

namespace tavrek::engine {
namespace {

constexpr unsigned char kFirstNonAscii = 0x80;
constexpr unsigned char kAsciiDelete = 0x7f;

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Lower-cases into `out`: byte by byte while the text is ASCII, through the
// full case mapping once it is not.
void FoldInto(std::string_view text, std::string& out) {
  out.resize(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (static_cast<unsigned char>(text[i]) >= kFirstNonAscii) {
      out = platform::LowerCase(text);
      return;
    }
    out[i] = AsciiLower(text[i]);
  }
}

// Whether a cell is shown as it is stored: printable ASCII without "\".
// Anything else may be shown with escapes ("\x1b", "\xff", "\\").
bool ShownAsStored(std::string_view text) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < ' ' || byte >= kAsciiDelete || c == '\\') return false;
  }
  return true;
}

// A time reads "hh:mm:ss.mmm": a needle with anything else cannot be in it.
bool MayBeInTime(std::string_view needle) {
  return needle.find_first_not_of("0123456789:.") == std::string_view::npos;
}

}  // namespace

CaseBlindFinder::CaseBlindFinder(std::string_view needle) { FoldInto(needle, needle_); }

bool CaseBlindFinder::FoundIn(std::string_view text) {
  FoldInto(text, folded_);
  return folded_.find(needle_) != std::string::npos;
}

bool CaseBlindFinder::FoundInShown(std::string_view text) {
  return ShownAsStored(text) ? FoundIn(text) : FoundIn(platform::VisibleText(text));
}

LogSearch::LogSearch(const ChangeLog& log, std::string_view text, size_t rowCount,
                     std::optional<size_t> from, SearchDirection direction)
    : log_(log), finder_(text), timeMayHold_(MayBeInTime(text)),
      rowCount_(rowCount), direction_(direction) {
  if (rowCount_ == 0) return;
  if (!from || *from >= rowCount_) {
    next_ = direction_ == SearchDirection::kOlder ? rowCount_ - 1 : 0;
    return;
  }
  next_ = *from;
  Advance();
}

void LogSearch::Advance() {
  if (direction_ == SearchDirection::kOlder) {
    wrapped_ = wrapped_ || next_ == 0;
    next_ = next_ == 0 ? rowCount_ - 1 : next_ - 1;
  } else {
    wrapped_ = wrapped_ || next_ + 1 == rowCount_;
    next_ = next_ + 1 == rowCount_ ? 0 : next_ + 1;
  }
}

// Action and user texts are few and repeat in every row: each is looked at
// once per search.
bool LogSearch::CachedHolds(std::vector<int8_t>& hits, size_t id, size_t row, int column) {
  if (id >= hits.size()) hits.resize(id + 1, kUnknown);
  if (hits[id] == kUnknown) {
    ChangeLog::CellBuffer buffer;
    hits[id] = finder_.FoundInShown(log_.CellView(row, column, buffer)) ? 1 : 0;
  }
  return hits[id] == 1;
}

namespace {
constexpr size_t kActionKeys = 256;  // every value an action byte can hold
}  // namespace

bool LogSearch::RowHolds(size_t row) {
  const LogRow& stored = log_.row(row);
  // Status rows show their own text in the action column: they are keyed past
  // every action value.
  const size_t actionKey = stored.isStatus() ? kActionKeys + stored.statusId
                                             : static_cast<size_t>(stored.action);
  if (CachedHolds(actionHits_, actionKey, row, kLogColumnAction)) return true;
  if (CachedHolds(userHits_, stored.userId, row, kLogColumnUser)) return true;
  ChangeLog::CellBuffer buffer;
  if (timeMayHold_ && finder_.FoundIn(log_.CellView(row, kLogColumnTime, buffer))) return true;
  for (const int column : {kLogColumnName, kLogColumnOldName, kLogColumnIntern,
                           kLogColumnProcess}) {
    if (finder_.FoundInShown(log_.CellView(row, column, buffer))) return true;
  }
  return false;
}

LogSearchStep LogSearch::Step(size_t rows) {
  using State = LogSearchStep::State;
  if (finder_.empty()) return {State::kNotFound, 0, false};
  for (size_t step = 0; step < rows; ++step) {
    if (looked_ == rowCount_) return {State::kNotFound, 0, wrapped_};
    const size_t row = next_;
    const bool wrapped = wrapped_;
    ++looked_;
    if (RowHolds(row)) return {State::kFound, row, wrapped};
    Advance();
  }
  return {looked_ == rowCount_ ? State::kNotFound : State::kSearching, 0, wrapped_};
}

}  // namespace tavrek::engine
