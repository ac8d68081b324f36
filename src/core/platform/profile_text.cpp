#include "core/platform/profile_text.h"

#include "core/platform/cp1252.h"
#include "core/platform/text_case.h"

namespace tavrek::platform {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kLineFeed = "\n";

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

ProfileText::Line ProfileText::MakeLine(std::string text, std::string_view ending) {
  Line line;
  line.text = std::move(text);
  line.ending = ending;
  const std::string_view trimmed = TrimBlanks(line.text);
  if (trimmed.empty()) return line;
  if (trimmed.front() == ';') {
    line.kind = Kind::Comment;
  } else if (trimmed.front() == '[') {
    line.kind = Kind::Section;
    const std::string_view inside = trimmed.substr(1);
    line.upperName = UpperCase(TrimBlanks(inside.substr(0, inside.find(']'))));
  } else if (const size_t equals = line.text.find('='); equals != std::string::npos) {
    line.kind = Kind::Entry;
    line.upperName = UpperCase(TrimBlanks(std::string_view(line.text).substr(0, equals)));
    line.valueStart = equals + 1;
  } else {
    line.kind = Kind::Other;
  }
  return line;
}

bool ProfileText::IsProfileText(std::string_view bytes) {
  // UTF-16 shows itself by its byte-order mark or, without one, by NUL bytes.
  const bool utf16Mark = bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
  return !utf16Mark && bytes.find('\0') == std::string_view::npos;
}

ProfileText ProfileText::FromFileBytes(std::string_view bytes) {
  ProfileText profile;
  if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    profile.byteOrderMark_ = true;
    bytes.remove_prefix(kByteOrderMark.size());
  }
  profile.windows1252_ = !IsValidUtf8(bytes);
  const std::string text = DecodeStoredText(bytes);
  size_t start = 0;
  while (start < text.size()) {
    size_t newline = text.find('\n', start);
    if (newline == std::string::npos) {
      profile.lines_.push_back(MakeLine(text.substr(start), ""));
      break;
    }
    const bool crlf = newline > start && text[newline - 1] == '\r';
    const size_t textEnd = crlf ? newline - 1 : newline;
    profile.lines_.push_back(
        MakeLine(text.substr(start, textEnd - start), crlf ? kLineEnd : kLineFeed));
    start = newline + 1;
  }
  profile.IndexSections();
  return profile;
}

std::string ProfileText::ToFileBytes() const {
  std::string text;
  for (const Line& line : lines_) {
    text += line.text;
    text += line.ending;
  }
  if (windows1252_) {
    std::string encoded = Utf8ToCp1252(text);
    if (Cp1252ToUtf8(encoded) == text) text = std::move(encoded);
  }
  return byteOrderMark_ ? std::string(kByteOrderMark) + text : text;
}

void ProfileText::IndexSections() {
  sections_.clear();
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].kind != Kind::Section) continue;
    if (!sections_.empty()) sections_.back().end = i;
    sections_.push_back({i, lines_.size()});
  }
}

const ProfileText::Section* ProfileText::FirstSection(const std::string& upperSection) const {
  for (const Section& section : sections_) {
    if (lines_[section.header].upperName == upperSection) return &section;
  }
  return nullptr;
}

std::optional<size_t> ProfileText::FindEntry(const std::string& upperSection,
                                             const std::string& upperKey) const {
  for (const Section& section : sections_) {
    if (lines_[section.header].upperName != upperSection) continue;
    for (size_t i = section.header + 1; i < section.end; ++i) {
      const Line& line = lines_[i];
      if (line.kind == Kind::Entry && line.upperName == upperKey) return i;
    }
  }
  return std::nullopt;
}

std::optional<std::string> ProfileText::FindValue(std::string_view section,
                                                  std::string_view key) const {
  const auto index = FindEntry(UpperCase(section), UpperCase(key));
  if (!index) return std::nullopt;
  const Line& line = lines_[*index];
  return std::string(TrimBlanks(std::string_view(line.text).substr(line.valueStart)));
}

std::vector<std::string> ProfileText::SectionEntries(std::string_view section) const {
  std::vector<std::string> entries;
  const Section* found = FirstSection(UpperCase(section));
  if (!found) return entries;
  for (size_t i = found->header + 1; i < found->end; ++i) {
    if (lines_[i].kind == Kind::Entry) entries.emplace_back(TrimBlanks(lines_[i].text));
  }
  return entries;
}

std::vector<std::string> ProfileText::SectionLines(std::string_view section) const {
  std::vector<std::string> result;
  const Section* found = FirstSection(UpperCase(section));
  if (!found) return result;
  for (size_t i = found->header + 1; i < found->end; ++i) {
    const Kind kind = lines_[i].kind;
    if (kind == Kind::Entry || kind == Kind::Other) result.push_back(lines_[i].text);
  }
  return result;
}

void ProfileText::InsertLine(size_t position, std::string text) {
  if (position > 0 && lines_[position - 1].ending.empty()) {
    lines_[position - 1].ending = kLineEnd;
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(position),
                MakeLine(std::move(text), kLineEnd));
}

void ProfileText::SetValue(std::string_view section, std::string_view key,
                           std::string_view value) {
  const std::string upperSection = UpperCase(section);
  if (const auto entry = FindEntry(upperSection, UpperCase(key))) {
    // The key keeps the spelling the file gives it; the line keeps its line end.
    Line& line = lines_[*entry];
    const std::string_view keyPart = std::string_view(line.text).substr(0, line.valueStart - 1);
    const std::string storedKey(TrimBlanks(keyPart));
    line = MakeLine(storedKey + "=" + std::string(value), line.ending);
    return;
  }
  const std::string entryText = std::string(key) + "=" + std::string(value);
  if (const Section* found = FirstSection(upperSection)) {
    size_t after = found->header;
    for (size_t i = found->header + 1; i < found->end; ++i) {
      if (lines_[i].kind == Kind::Entry) after = i;
    }
    InsertLine(after + 1, entryText);
  } else {
    // A blank line keeps the new section apart from the text before it.
    if (!lines_.empty() && lines_.back().kind != Kind::Blank) InsertLine(lines_.size(), "");
    InsertLine(lines_.size(), "[" + std::string(section) + "]");
    InsertLine(lines_.size(), entryText);
  }
  IndexSections();
}

bool ProfileText::RemoveKey(std::string_view section, std::string_view key) {
  const std::string upperSection = UpperCase(section);
  const std::string upperKey = UpperCase(key);
  bool removed = false;
  bool inSection = false;
  std::vector<Line> kept;
  for (Line& line : lines_) {
    if (line.kind == Kind::Section) inSection = line.upperName == upperSection;
    if (inSection && line.kind == Kind::Entry && line.upperName == upperKey) {
      removed = true;
      continue;
    }
    kept.push_back(std::move(line));
  }
  lines_ = std::move(kept);
  IndexSections();
  return removed;
}

bool ProfileText::RemoveSection(std::string_view section) {
  const std::string upperSection = UpperCase(section);
  bool removed = false;
  bool inSection = false;
  std::vector<Line> kept;
  for (Line& line : lines_) {
    if (line.kind == Kind::Section) inSection = line.upperName == upperSection;
    if (inSection) {
      removed = true;
      continue;
    }
    kept.push_back(std::move(line));
  }
  lines_ = std::move(kept);
  IndexSections();
  return removed;
}

}  // namespace tavrek::platform
