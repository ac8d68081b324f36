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
  return kind == FilterKind::kInclude ? kFilterTypeInclude : kFilterTypeExclude;
}

std::vector<FilterRow> FilterSet::Rebuild(const std::vector<FilterRow>& rows) {
  entries_.clear();
  hasInclude_ = false;
  for (const FilterRow& row : rows) {
    entries_[platform::UpperCase(row.pattern)] = FilterEntry{row.pattern, 1, row.kind};
  }
  std::vector<FilterRow> shown;
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
    const FilterEntry& entry = it->second;
    hasInclude_ = hasInclude_ || entry.kind == FilterKind::kInclude;
    shown.push_back({entry.pattern, entry.kind, true});
  }
  return shown;
}

void FilterSet::Assign(const std::vector<FilterRow>& rows) {
  entries_.clear();
  for (const FilterRow& row : rows) {
    entries_[platform::UpperCase(row.pattern)] = FilterEntry{row.pattern, row.checked ? 1 : 0, row.kind};
  }
  hasInclude_ = false;
  for (const auto& [key, entry] : entries_) {
    hasInclude_ = hasInclude_ || (entry.kind == FilterKind::kInclude && entry.enabled == 1);
  }
}

bool FilterSet::Rejects(const std::string& upperPath) const {
  bool matchesInclude = false;
  for (const auto& [key, entry] : entries_) {
    if (entry.enabled != 1 || !MatchPattern(upperPath, key)) continue;
    if (entry.kind == FilterKind::kExclude) return true;
    matchesInclude = true;
  }
  return hasInclude_ && !matchesInclude;
}

bool FilterSet::IsFiltered(std::string_view path, LogFilterMode mode) const {
  if (entries_.empty()) return false;
  bool rejected = Rejects(platform::UpperCase(path));
  // "Log only these" turns the decision round: what the entries would keep
  // out is exactly what gets logged.
  return mode == LogFilterMode::kLogOnlyThese ? !rejected : rejected;
}

std::string_view LogFilterCaption(LogFilterMode mode) {
  return mode == LogFilterMode::kLogOnlyThese ? ">> Nur diese Dateien Protokollieren"
                                              : ">> Diese Dateien nicht Protokollieren ";
}

}  // namespace tavrek::engine
