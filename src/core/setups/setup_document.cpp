#include "core/setups/setup_document.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <optional>
#include <vector>

#include "core/engine/folder_set.h"
#include "core/engine/option_table.h"
#include "core/platform/cp1252.h"
#include "core/platform/leading_number.h"
#include "core/platform/profile.h"
#include "core/platform/profile_text.h"
#include "core/platform/utf8.h"

namespace tavrek::setups {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr char kFieldSeparator = '=';
// The mode digit of a filter line: 1 for an exclude row, 0 for an include
// row; any other number reads as an include row.
constexpr int32_t kModeDigitExclude = 1;

// The bytes one section read gives: each line with its NUL, and the NUL that
// closes the list. Once a line does not fit, no later one is read either.
class SectionBudget {
 public:
  bool Take(size_t lineBytes) {
    if (full_ || used_ + lineBytes + 1 > platform::kProfileSectionBuffer) {
      full_ = true;
      return false;
    }
    used_ += lineBytes + 1;
    return true;
  }

 private:
  size_t used_ = 1;
  bool full_ = false;
};

// Why a line would not be read back as written; nothing when it would.
std::optional<NoteReason> LineProblem(std::string_view line) {
  if (line.find('\0') != std::string_view::npos) return NoteReason::NulByte;
  if (line.find_first_of("\r\n") != std::string_view::npos) return NoteReason::LineBreak;
  if (!platform::IsValidUtf8(line)) return NoteReason::NotUtf8;
  const std::string_view trimmed = platform::TrimBlanks(line);
  if (trimmed.empty() || trimmed.front() == '[' || trimmed.front() == ';') {
    return NoteReason::ReadAsOtherLine;
  }
  return std::nullopt;
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

// A folder or filter row on its way into the document.
struct LineToWrite {
  std::string given;  // the folder or pattern, for the notes
  std::string line;
  std::optional<NoteReason> problem;
  bool cut = false;
};

std::vector<LineToWrite> FolderLines(const std::vector<std::string>& folders) {
  engine::FolderSet set;
  for (const std::string& folder : folders) set.Add(folder);
  std::vector<LineToWrite> lines;
  for (const auto& [key, path] : set.folders()) lines.push_back({path, path, LineProblem(path)});
  return lines;
}

LineToWrite FilterLine(const engine::FilterRow& row) {
  const std::string pattern = CutToBytes(row.pattern, kFilterTextLimit);
  LineToWrite line;
  line.given = row.pattern;
  line.line = pattern + (row.checked ? "=1=" : "=0=") + (engine::IsIncludeKind(row.kind) ? "0" : "1");
  line.problem = LineProblem(line.line);
  if (!line.problem && pattern.find(kFieldSeparator) != std::string::npos) {
    line.problem = NoteReason::EqualsSign;
  }
  line.cut = pattern.size() != row.pattern.size();
  return line;
}

// "poll=FOLDER" for each folder with a choice whose folder line is written
// (as AppendLines decides): the choice's name comes first, as a folder may
// hold "=".
std::vector<LineToWrite> ChoiceLines(const std::vector<LineToWrite>& folderLines,
                                     const engine::FolderChoices& choices) {
  std::vector<LineToWrite> lines;
  SectionBudget folderBudget;
  for (const LineToWrite& folder : folderLines) {
    if (folder.problem || !folderBudget.Take(folder.line.size())) continue;
    const engine::BackendType choice = engine::ChoiceOf(choices, folder.given);
    if (choice == engine::BackendType::Automatic) continue;
    LineToWrite line;
    line.given = folder.given;
    line.line = std::string(engine::BackendName(choice)) + "=" + folder.line;
    lines.push_back(std::move(line));
  }
  return lines;
}

// Writes the lines that a load gives back as they are; notes the others.
void AppendLines(std::string& text, NoteItem item, const std::vector<LineToWrite>& lines,
                 std::vector<DocumentNote>& leftOut) {
  SectionBudget budget;
  for (const LineToWrite& line : lines) {
    if (line.problem || !budget.Take(line.line.size())) {
      leftOut.push_back({item, line.given, line.problem.value_or(NoteReason::SectionFull)});
      continue;
    }
    text += line.line;
    text += kLineEnd;
    if (line.cut) leftOut.push_back({item, line.given, NoteReason::Cut});
  }
}

std::string WithoutCarriageReturns(std::string_view text) {
  std::string line(text);
  std::erase(line, '\r');
  return line;
}

// The lines of a list section as far as they fit into one section read; CR
// characters removed, blank lines skipped. A line with a NUL byte is refused:
// a name would end at it. Lines past the section's end are counted in one note.
std::vector<std::string> SectionList(const platform::ProfileText& profile, std::string_view section,
                                     NoteItem item, std::vector<DocumentNote>* notLoaded) {
  std::vector<std::string> lines;
  DocumentNote pastTheEnd{item, {}, NoteReason::SectionFull, 0};
  SectionBudget budget;
  for (const std::string_view text : profile.SectionLines(section)) {
    if (text.find_first_not_of(" \t\r") == std::string_view::npos) continue;
    const auto carriageReturns = static_cast<size_t>(std::count(text.begin(), text.end(), '\r'));
    if (!budget.Take(text.size() - carriageReturns)) {
      if (pastTheEnd.lines++ == 0) pastTheEnd.text = WithoutCarriageReturns(text);
      continue;
    }
    std::string line = WithoutCarriageReturns(text);
    if (line.find('\0') == std::string::npos) {
      lines.push_back(std::move(line));
    } else if (notLoaded) {
      notLoaded->push_back({item, std::move(line), NoteReason::NulByte});
    }
  }
  if (notLoaded && pastTheEnd.lines > 0) notLoaded->push_back(std::move(pastTheEnd));
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
// "poll=FOLDER" lines of folders in the set; the first line of a folder
// wins, and a name this reader does not know leaves the folder automatic.
engine::FolderChoices ParseChoiceLines(const std::vector<std::string>& lines,
                                       const engine::FolderSet& folders) {
  engine::FolderChoices choices;
  for (const std::string& line : lines) {
    const size_t separator = line.find(kFieldSeparator);
    if (separator == std::string::npos) continue;
    const std::string folder = line.substr(separator + 1);
    const auto choice =
        engine::ParseBackendName(platform::TrimBlanks(std::string_view(line).substr(0, separator)));
    if (!choice || !folders.folders().contains(folder) || choices.contains(folder)) continue;
    engine::SetChoice(choices, folder, *choice);
  }
  return choices;
}

engine::FilterRow ParseFilterLine(std::string_view line, bool process) {
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
  row.kind = engine::FilterKindFor(process, platform::ParseLeadingInt(fields[2]) == kModeDigitExclude);
  return row;
}

// The filter rows of one section, path rows or process rows.
std::vector<LineToWrite> FilterLines(const std::vector<engine::FilterRow>& rows, bool process) {
  std::vector<LineToWrite> lines;
  for (const engine::FilterRow& row : rows) {
    if (engine::IsProcessKind(row.kind) == process) lines.push_back(FilterLine(row));
  }
  return lines;
}

}  // namespace

FormattedDocument FormatSetupDocument(const SetupDocument& document) {
  const engine::WatchSetup& setup = document.setup;
  FormattedDocument result;
  std::string& text = result.bytes;
  text = "[DIR]" + std::string(kLineEnd);
  const std::vector<LineToWrite> folderLines = FolderLines(setup.folders);
  AppendLines(text, NoteItem::Folder, folderLines, result.leftOut);
  text += "[Filter]" + std::string(kLineEnd);
  AppendLines(text, NoteItem::Filter, FilterLines(setup.filterRows, false), result.leftOut);
  text += "[Optionen]" + std::string(kLineEnd);
  for (const engine::WatchOption& option : engine::kWatchOptionTable) {
    text += std::string(option.documentKey) + (setup.options.*option.flag != 0 ? "=1" : "=0");
    text += kLineEnd;
  }
  text += std::string(kKeyStartWatch) + "=" + std::to_string(document.startWatch) + std::string(kLineEnd);
  text += std::string(kKeyLogFilterMode) + "=" +
          std::to_string(static_cast<int32_t>(setup.logFilterMode)) + std::string(kLineEnd);
  const std::vector<LineToWrite> processLines = FilterLines(setup.filterRows, true);
  if (!processLines.empty()) {
    text += "[" + std::string(kSectionProcessFilters) + "]" + std::string(kLineEnd);
    AppendLines(text, NoteItem::Filter, processLines, result.leftOut);
  }
  const std::vector<LineToWrite> choiceLines = ChoiceLines(folderLines, setup.folderChoices);
  if (!choiceLines.empty()) {
    text += "[" + std::string(kSectionWatchChoices) + "]" + std::string(kLineEnd);
    AppendLines(text, NoteItem::WatchChoice, choiceLines, result.leftOut);
  }
  return result;
}

SetupDocument ParseSetupDocument(std::string_view bytes, std::vector<DocumentNote>* notLoaded) {
  return ParseSetupDocument(platform::ProfileText::FromFileBytes(bytes), notLoaded);
}

bool HoldsSetupSections(const platform::ProfileText& profile) {
  constexpr std::string_view kSections[] = {kSectionFolders, kSectionFilters, kSectionOptions,
                                            kSectionProcessFilters, kSectionWatchChoices};
  return std::any_of(std::begin(kSections), std::end(kSections),
                     [&](std::string_view section) { return profile.HasSection(section); });
}

SetupDocument ParseSetupDocument(const platform::ProfileText& profile,
                                 std::vector<DocumentNote>* notLoaded) {
  SetupDocument document;
  engine::WatchSetup& setup = document.setup;

  engine::FolderSet folders;
  for (const std::string& line : SectionList(profile, kSectionFolders, NoteItem::Folder, notLoaded)) {
    folders.Add(line);
  }
  for (const auto& [key, path] : folders.folders()) setup.folders.push_back(path);
  setup.folderChoices = ParseChoiceLines(
      SectionList(profile, kSectionWatchChoices, NoteItem::WatchChoice, notLoaded), folders);

  for (const std::string& line : SectionList(profile, kSectionFilters, NoteItem::Filter, notLoaded)) {
    setup.filterRows.push_back(ParseFilterLine(line, false));
  }
  for (const std::string& line :
       SectionList(profile, kSectionProcessFilters, NoteItem::Filter, notLoaded)) {
    setup.filterRows.push_back(ParseFilterLine(line, true));
  }
  // A missing key reads as the box id, which checks the box.
  for (const engine::WatchOption& option : engine::kWatchOptionTable) {
    setup.options.*option.flag = ReadInt(profile, option.documentKey, option.boxId) != 0 ? 1 : 0;
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
