#include "core/lists/export_dialog.h"

#include <algorithm>

namespace tavrek::lists {
namespace {

constexpr std::string_view kProposedPrefix = "Export_";

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(std::string_view text, std::string_view lower) {
  return text.size() == lower.size() &&
         std::equal(text.begin(), text.end(), lower.begin(),
                    [](char a, char b) { return AsciiLower(a) == b; });
}

// Cuts to `limit` bytes without splitting a UTF-8 character.
std::string CutAtCharacter(std::string text, size_t limit) {
  if (text.size() <= limit) return text;
  size_t end = limit;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  text.resize(end);
  return text;
}

std::string CleanTreeName(std::string_view name) {
  std::string cleaned;
  for (char c : name) {
    const char mapped = c == '/' ? '\\' : c;
    if (mapped == '\\' && !cleaned.empty() && cleaned.back() == '\\') continue;
    cleaned += mapped;
  }
  for (char& c : cleaned) {
    if (c == ':')
      c = ';';
    else if (c == '!' || c == '\\' || c == '<' || c == '>')
      c = '_';
  }
  return cleaned;
}

}  // namespace

ExportFormat FormatOfIndex(int index) {
  if (index < static_cast<int>(ExportFormat::Txt) || index > static_cast<int>(ExportFormat::Xls)) {
    return ExportFormat::Txt;
  }
  return static_cast<ExportFormat>(index);
}

const ExportFilter& FilterOf(ExportFormat format) {
  return kExportFilters[static_cast<size_t>(FormatOfIndex(static_cast<int>(format))) - 1];
}

std::string CompleteExportName(std::string_view name, ExportFormat format) {
  const std::string_view wanted = FilterOf(format).extension;
  const size_t dot = name.find_last_of('.');
  const bool hasExtension = dot != std::string_view::npos && dot + 1 < name.size();
  const std::string_view extension = hasExtension ? name.substr(dot + 1) : name;
  std::string completed(name);
  if (!EqualsIgnoringCase(extension, wanted)) {
    completed += '.';
    completed += wanted;
  }
  return completed;
}

std::string ProposedExportName(std::string_view name) {
  return CutAtCharacter(std::string(kProposedPrefix) + std::string(name), kMaxProposedName);
}

std::string ProposedTreeExportName(std::string_view name) {
  return ProposedExportName(CleanTreeName(name));
}

}  // namespace tavrek::lists
