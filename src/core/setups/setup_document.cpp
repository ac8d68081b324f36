#include "core/setups/setup_document.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "core/app/control_ids.h"
#include "core/engine/folder_set.h"
#include "core/platform/leading_number.h"
#include "core/platform/profile.h"
#include "core/platform/profile_text.h"
#include "core/platform/utf8.h"

namespace tavrek::setups {

namespace id = app::control;
using engine::WatchOptions;

const std::array<OptionKey, 9> kOptionKeys{{
    {"Umbennen", id::kBoxRename, &WatchOptions::rename},
    {"Loeschen", id::kBoxDelete, &WatchOptions::remove},
    {"Schreiben", id::kBoxWrite, &WatchOptions::write},
    {"Zugriff", id::kBoxAccess, &WatchOptions::access},
    {"Dateigroesse", id::kBoxSize, &WatchOptions::size},
    {"Atribute", id::kBoxAttributes, &WatchOptions::attributes},
    {"Sicherheit", id::kBoxSecurity, &WatchOptions::security},
    {"Erstellzeit", id::kBoxCreation, &WatchOptions::creation},
    {"Unterverzeichnise", id::kBoxSubtree, &WatchOptions::subtree},
}};

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr char kFieldSeparator = '=';
constexpr int32_t kModeExclude = 1;  // the mode digit of a "Diese Dateien nicht ..." row

// One document line per folder or pattern: line breaks would split it.
std::string OneLine(std::string text) {
  std::replace_if(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  return text;
}

// At most `limit` bytes, never half a UTF-8 character at the end.
std::string CutToBytes(std::string text, size_t limit) {
  if (text.size() <= limit) return text;
  size_t end = limit;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  if (platform::DecodeUtf8At(text, end).length == 0) end = limit;
  text.resize(end);
  return text;
}

std::string FilterLine(const engine::FilterRow& row) {
  const bool include = row.typeText.starts_with("Nur");
  return OneLine(CutToBytes(row.pattern, kFilterTextLimit)) + (row.checked ? "=1=" : "=0=") +
         (include ? "0" : "1");
}

// The lines of a list section as far as they fit into one section read, each
// with its closing NUL and the list's final NUL; CR characters removed.
std::vector<std::string> SectionList(const platform::ProfileText& profile, std::string_view section) {
  std::vector<std::string> lines;
  size_t used = 1;
  for (std::string line : profile.SectionLines(section)) {
    std::erase(line, '\r');
    if (platform::TrimBlanks(line).empty()) continue;
    used += line.size() + 1;
    if (used > platform::kProfileSectionBuffer) break;
    lines.push_back(std::move(line));
  }
  return lines;
}

// The private-profile integer rule: a missing or empty value gives the
// default, anything else its leading number.
int ReadInt(const platform::ProfileText& profile, std::string_view key, int defaultValue) {
  std::optional<std::string> value = profile.FindValue(kSectionOptions, key);
  if (!value || value->empty()) return defaultValue;
  if (value->size() >= 2 && value->front() == '"' && value->back() == '"') {
    *value = value->substr(1, value->size() - 2);
  }
  return platform::ParseLeadingInt(*value);
}

// "pattern=check=mode": a missing field reads as 0, fields after the third are dropped.
engine::FilterRow ParseFilterLine(std::string_view line) {
  std::array<std::string_view, 3> fields{};
  for (size_t index = 0; index < fields.size(); ++index) {
    const size_t end = line.find(kFieldSeparator);
    fields[index] = line.substr(0, end);
    if (end == std::string_view::npos) break;
    line.remove_prefix(end + 1);
  }
  engine::FilterRow row;
  row.pattern = std::string(fields[0]);
  row.checked = platform::ParseLeadingInt(fields[1]) == 1;
  row.typeText = std::string(platform::ParseLeadingInt(fields[2]) == kModeExclude
                                 ? engine::kFilterTypeExclude
                                 : engine::kFilterTypeInclude);
  return row;
}

}  // namespace

std::string FormatSetupDocument(const SetupDocument& document) {
  const engine::WatchSetup& setup = document.setup;
  engine::FolderSet folders;
  for (const std::string& folder : setup.folders) folders.Add(OneLine(folder));

  std::string text = "[DIR]" + std::string(kLineEnd);
  for (const auto& [key, path] : folders.folders()) text += path + std::string(kLineEnd);
  text += "[Filter]" + std::string(kLineEnd);
  for (const engine::FilterRow& row : setup.filterRows) text += FilterLine(row) + std::string(kLineEnd);
  text += "[Optionen]" + std::string(kLineEnd);
  for (const OptionKey& option : kOptionKeys) {
    text += std::string(option.key) + (setup.options.*option.flag != 0 ? "=1" : "=0");
    text += kLineEnd;
  }
  text += std::string(kKeyStartWatch) + "=" + std::to_string(document.startWatch) + std::string(kLineEnd);
  text += std::string(kKeyLogFilterMode) + "=" +
          std::to_string(static_cast<int32_t>(setup.logFilterMode)) + std::string(kLineEnd);
  return text;
}

SetupDocument ParseSetupDocument(std::string_view bytes) {
  const platform::ProfileText profile = platform::ProfileText::FromFileBytes(bytes);
  SetupDocument document;
  engine::WatchSetup& setup = document.setup;

  engine::FolderSet folders;
  for (const std::string& line : SectionList(profile, kSectionFolders)) folders.Add(line);
  for (const auto& [key, path] : folders.folders()) setup.folders.push_back(path);

  for (const std::string& line : SectionList(profile, kSectionFilters)) {
    setup.filterRows.push_back(ParseFilterLine(line));
  }
  for (const OptionKey& option : kOptionKeys) {
    setup.options.*option.flag = ReadInt(profile, option.key, option.boxId) != 0 ? 1 : 0;
  }
  document.startWatch = ReadInt(profile, kKeyStartWatch, 0);
  setup.logFilterMode = ReadInt(profile, kKeyLogFilterMode, 0) == 1
                            ? engine::LogFilterMode::kLogOnlyThese
                            : engine::LogFilterMode::kDoNotLogThese;
  return document;
}

std::string CompleteSetupExtension(std::string_view path) {
  const size_t dot = path.rfind('.');
  if (dot != std::string_view::npos) {
    const std::string_view tail = path.substr(dot);
    const bool same = std::equal(tail.begin(), tail.end(), kSetupExtension.begin(),
                                 kSetupExtension.end(), [](char a, char b) {
                                   return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
                                 });
    if (same) return std::string(path);
  }
  return std::string(path) + std::string(kSetupExtension);
}

}  // namespace tavrek::setups
