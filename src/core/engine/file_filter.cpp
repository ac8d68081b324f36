#include "core/engine/file_filter.h"

#include "core/platform/text_case.h"

namespace tavrek::engine {
namespace {

constexpr char kWildcard = '*';

// The short cut for "*.ext" patterns: decided by the text's extension alone,
// whatever literal came before the "*".
bool IsExtensionTail(std::string_view text, std::string_view pattern, size_t star) {
  if (text.size() < 2 || star + 1 >= pattern.size() || pattern[star + 1] != '.') return false;
  return pattern.find(kWildcard, star + 1) == std::string_view::npos &&
         text.find('.') != std::string_view::npos;
}

bool ExtensionMatches(std::string_view text, std::string_view pattern, size_t star) {
  return text.substr(text.rfind('.')) == pattern.substr(star + 1);
}

}  // namespace

bool MatchPattern(std::string_view text, std::string_view pattern) {
  if (pattern.empty()) return true;
  if (pattern.find(kWildcard) == std::string_view::npos) return text.starts_with(pattern);

  size_t position = 0;
  size_t runStart = 0;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != kWildcard) continue;
    if (IsExtensionTail(text, pattern, i)) return ExtensionMatches(text, pattern, i);
    size_t found = text.find(pattern.substr(runStart, i - runStart), position);
    if (found == std::string_view::npos) return false;
    position = found;  // where the run begins, not where it ends
    runStart = i + 1;
  }
  if (runStart < pattern.size()) {
    size_t found = text.find(pattern.substr(runStart), position);
    if (found == std::string_view::npos) return false;
    position = found;
  }
  return position < text.size();
}

std::vector<std::string> SplitFilterText(std::string_view text) {
  std::vector<std::string> pieces;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(';', start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) pieces.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return pieces;
}

std::string_view FilterTypeText(FilterKind kind) {
  switch (kind) {
    case FilterKind::kInclude: return kFilterTypeInclude;
    case FilterKind::kExcludeProcess: return kFilterTypeProcessExclude;
    case FilterKind::kIncludeProcess: return kFilterTypeProcessInclude;
    case FilterKind::kExclude: break;
  }
  return kFilterTypeExclude;
}

bool IsIncludeKind(FilterKind kind) {
  return kind == FilterKind::kInclude || kind == FilterKind::kIncludeProcess;
}

bool IsProcessKind(FilterKind kind) {
  return kind == FilterKind::kExcludeProcess || kind == FilterKind::kIncludeProcess;
}

FilterKind FilterKindFor(bool process, bool exclude) {
  if (process) return exclude ? FilterKind::kExcludeProcess : FilterKind::kIncludeProcess;
  return exclude ? FilterKind::kExclude : FilterKind::kInclude;
}

bool MatchProcessPattern(std::string_view name, std::string_view pattern) {
  if (name.empty()) return false;
  if (pattern.find(kWildcard) == std::string_view::npos) return name == pattern;
  return MatchPattern(name, pattern);
}

// The list shows the path rows first, then the process rows, each in
// descending key order.
std::vector<FilterRow> FilterSet::Rebuild(const std::vector<FilterRow>& rows) {
  entries_.clear();
  processEntries_.clear();
  for (const FilterRow& row : rows) {
    EntriesFor(row.kind)[platform::UpperCase(row.pattern)] = FilterEntry{row.pattern, 1, row.kind};
  }
  NoteIncludes();
  std::vector<FilterRow> shown;
  for (const Entries* entries : {&entries_, &processEntries_}) {
    for (auto it = entries->rbegin(); it != entries->rend(); ++it) {
      shown.push_back({it->second.pattern, it->second.kind, true});
    }
  }
  return shown;
}

void FilterSet::Assign(const std::vector<FilterRow>& rows) {
  entries_.clear();
  processEntries_.clear();
  for (const FilterRow& row : rows) {
    EntriesFor(row.kind)[platform::UpperCase(row.pattern)] =
        FilterEntry{row.pattern, row.checked ? 1 : 0, row.kind};
  }
  NoteIncludes();
}

void FilterSet::NoteIncludes() {
  auto anyInclude = [](const Entries& entries) {
    for (const auto& [key, entry] : entries) {
      if (IsIncludeKind(entry.kind) && entry.enabled == 1) return true;
    }
    return false;
  };
  hasInclude_ = anyInclude(entries_);
  hasProcessInclude_ = anyInclude(processEntries_);
}

namespace {

// An exclude entry that matches rejects; include entries reject a text that
// matches none of them.
bool EntriesReject(const std::map<std::string, FilterEntry>& entries, bool hasInclude,
                   const std::string& text, bool (*match)(std::string_view, std::string_view)) {
  bool matchesInclude = false;
  for (const auto& [key, entry] : entries) {
    if (entry.enabled != 1 || !match(text, key)) continue;
    if (!IsIncludeKind(entry.kind)) return true;
    matchesInclude = true;
  }
  return hasInclude && !matchesInclude;
}

}  // namespace

bool FilterSet::Rejects(const std::string& upperPath, std::string_view process) const {
  if (EntriesReject(entries_, hasInclude_, upperPath, MatchPattern)) return true;
  if (processEntries_.empty()) return false;
  return EntriesReject(processEntries_, hasProcessInclude_, platform::UpperCase(process),
                       MatchProcessPattern);
}

bool FilterSet::IsFiltered(std::string_view path, std::string_view process, LogFilterMode mode) const {
  if (empty()) return false;
  bool rejected = Rejects(platform::UpperCase(path), process);
  // "Log only these" turns the decision round: what the entries would keep
  // out is exactly what gets logged.
  return mode == LogFilterMode::kLogOnlyThese ? !rejected : rejected;
}

bool FilterSet::IsPathFiltered(std::string_view path, LogFilterMode mode) const {
  if (entries_.empty()) return false;
  const bool rejected = EntriesReject(entries_, hasInclude_, platform::UpperCase(path), MatchPattern);
  return mode == LogFilterMode::kLogOnlyThese ? !rejected : rejected;
}

std::string_view LogFilterCaption(LogFilterMode mode) {
  return mode == LogFilterMode::kLogOnlyThese ? ">> Nur diese Dateien Protokollieren"
                                              : ">> Diese Dateien nicht Protokollieren ";
}

}  // namespace tavrek::engine
