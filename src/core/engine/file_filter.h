#pragma once
// Include and exclude patterns of a watch window, matched against the full
// path of every change event or against the name of the process that made
// it, and the log filter mode.
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tavrek::engine {

// What a pattern does with the paths or process names it matches.
enum class FilterKind : int32_t {
  kExclude = 0,         // matching paths are not logged
  kInclude = 1,         // only matching paths are logged
  kExcludeProcess = 2,  // changes made by a matching process are not logged
  kIncludeProcess = 3,  // only changes made by a matching process are logged
};

inline constexpr std::string_view kFilterTypeInclude = "Nur diese Dateien überwachen";
inline constexpr std::string_view kFilterTypeExclude = "Diese Dateien nicht überwachen";
inline constexpr std::string_view kFilterTypeProcessInclude = "Nur diese Prozesse überwachen";
inline constexpr std::string_view kFilterTypeProcessExclude = "Diese Prozesse nicht überwachen";

// The type text the filter list shows for a kind. Only shown: every decision
// goes by the kind.
std::string_view FilterTypeText(FilterKind kind);

bool IsIncludeKind(FilterKind kind);
bool IsProcessKind(FilterKind kind);
FilterKind FilterKindFor(bool process, bool exclude);

struct FilterEntry {
  std::string pattern;  // as typed
  int32_t enabled = 1;
  FilterKind kind = FilterKind::kExclude;
};

// The editing surface of the filter list: what one row holds.
struct FilterRow {
  std::string pattern;
  FilterKind kind = FilterKind::kExclude;
  bool checked = true;

  bool operator==(const FilterRow&) const = default;
};

enum class LogFilterMode : int32_t {
  kDoNotLogThese = 0,  // "Diese Dateien nicht Protokollieren"
  kLogOnlyThese = 1,   // "Nur diese Dateien Protokollieren"
};

// Both texts upper-cased already. An empty pattern matches everything; a
// pattern without "*" is a prefix; otherwise the wildcard rules below.
bool MatchPattern(std::string_view text, std::string_view pattern);

// A process pattern against a command name, both upper-cased already: a
// pattern without "*" is the whole name, one with "*" follows MatchPattern.
// A change whose process is not known has no name and matches no pattern.
bool MatchProcessPattern(std::string_view name, std::string_view pattern);

// The pieces of a filter dialog text: split at ";", empty pieces skipped,
// blanks kept.
std::vector<std::string> SplitFilterText(std::string_view text);

class FilterSet {
 public:
  // Replaces the set by the entries of the rows (top to bottom, a later row
  // replaces an earlier one with the same key) and returns the rows as the list
  // shows them afterwards: one per key, in descending key order, checked.
  std::vector<FilterRow> Rebuild(const std::vector<FilterRow>& rows);

  // Takes the rows as a loaded setup gives them, without a rebuild: the list
  // keeps their order and check boxes, and a cleared box switches its
  // pattern off until the next rebuild.
  void Assign(const std::vector<FilterRow>& rows);

  // Whether an event with this full path, made by the process of this
  // command name (empty: not known), is kept out of the log. Path rows and
  // process rows each decide as the rules say; an event either set rejects
  // is rejected.
  bool IsFiltered(std::string_view path, std::string_view process, LogFilterMode mode) const;
  bool IsFiltered(std::string_view path, LogFilterMode mode) const { return IsFiltered(path, {}, mode); }
  // The decision of the path rows alone, for a path without a change (and so
  // without a process) behind it.
  bool IsPathFiltered(std::string_view path, LogFilterMode mode) const;

  bool empty() const { return entries_.empty() && processEntries_.empty(); }
  // Whether any row names processes: only then is a change's process asked.
  bool hasProcessEntries() const { return !processEntries_.empty(); }
  const std::map<std::string, FilterEntry>& entries() const { return entries_; }
  const std::map<std::string, FilterEntry>& processEntries() const { return processEntries_; }

 private:
  using Entries = std::map<std::string, FilterEntry>;
  Entries& EntriesFor(FilterKind kind) { return IsProcessKind(kind) ? processEntries_ : entries_; }
  void NoteIncludes();
  bool Rejects(const std::string& upperPath, std::string_view process) const;

  Entries entries_;         // path rows; key: the pattern upper-cased
  Entries processEntries_;  // process rows, keyed alike
  bool hasInclude_ = false;
  bool hasProcessInclude_ = false;
};

// ">> Nur diese Dateien Protokollieren" or ">> Diese Dateien nicht Protokollieren ".
std::string_view LogFilterCaption(LogFilterMode mode);

}  // namespace tavrek::engine
