#include "core/platform/profile_text.h"

#include <algorithm>

#include "core/platform/cp1252.h"
#include "core/platform/text_case.h"

namespace tavrek::platform {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kLineFeed = "\n";
constexpr unsigned char kFirstNonAscii = 0x80;

bool IsAscii(std::string_view text) {
  return std::none_of(text.begin(), text.end(),
                      [](char c) { return static_cast<unsigned char>(c) >= kFirstNonAscii; });
}

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

std::string_view ProfileText::TextOf(const Line& line) const {
  return std::string_view(text_).substr(line.start, line.length);
}

std::string_view ProfileText::NameOf(const Line& line) const {
  return TextOf(line).substr(line.nameStart, line.nameLength);
}

// Names are nearly always ASCII: those are compared without upper-casing a copy.
bool ProfileText::HasName(const Line& line, std::string_view upperName) const {
  const std::string_view name = NameOf(line);
  if (!IsAscii(name)) return UpperCase(name) == upperName;
  return name.size() == upperName.size() &&
         std::equal(name.begin(), name.end(), upperName.begin(),
                    [](char a, char b) { return AsciiUpper(a) == b; });
}

ProfileText::Line ProfileText::MakeLine(size_t start, size_t length, Ending ending) const {
  Line line;
  line.start = start;
  line.length = length;
  line.ending = ending;
  const std::string_view text = TextOf(line);
  const std::string_view trimmed = TrimBlanks(text);
  if (trimmed.empty()) return line;
  std::string_view name;
  if (trimmed.front() == ';') {
    line.kind = Kind::Comment;
  } else if (trimmed.front() == '[') {
    line.kind = Kind::Section;
    const std::string_view inside = trimmed.substr(1);
    name = TrimBlanks(inside.substr(0, inside.find(']')));
  } else if (const size_t equals = text.find('='); equals != std::string_view::npos) {
    line.kind = Kind::Entry;
    name = TrimBlanks(text.substr(0, equals));
    line.valueStart = equals + 1;
  } else {
    line.kind = Kind::Other;
  }
  line.nameStart = name.empty() ? 0 : static_cast<size_t>(name.data() - text.data());
  line.nameLength = name.size();
  return line;
}

ProfileText::Line ProfileText::NewLine(std::string_view text, Ending ending) {
  const size_t start = text_.size();
  text_ += text;
  return MakeLine(start, text.size(), ending);
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
  profile.text_ = DecodeStoredText(bytes);
  const std::string_view text = profile.text_;
  profile.lines_.reserve(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
  size_t start = 0;
  while (start < text.size()) {
    const size_t newline = text.find('\n', start);
    if (newline == std::string_view::npos) {
      profile.lines_.push_back(profile.MakeLine(start, text.size() - start, Ending::None));
      break;
    }
    const bool crlf = newline > start && text[newline - 1] == '\r';
    const size_t textEnd = crlf ? newline - 1 : newline;
    profile.lines_.push_back(
        profile.MakeLine(start, textEnd - start, crlf ? Ending::CrLf : Ending::LineFeed));
    start = newline + 1;
  }
  profile.IndexSections();
  return profile;
}

std::string ProfileText::ToFileBytes() const {
  std::string text;
  text.reserve(text_.size() + lines_.size());
  for (const Line& line : lines_) {
    text += TextOf(line);
    if (line.ending != Ending::None) text += line.ending == Ending::CrLf ? kLineEnd : kLineFeed;
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

const ProfileText::Section* ProfileText::FirstSection(std::string_view upperSection) const {
  for (const Section& section : sections_) {
    if (HasName(lines_[section.header], upperSection)) return &section;
  }
  return nullptr;
}

std::optional<size_t> ProfileText::FindEntry(std::string_view upperSection,
                                             std::string_view upperKey) const {
  for (const Section& section : sections_) {
    if (!HasName(lines_[section.header], upperSection)) continue;
    for (size_t i = section.header + 1; i < section.end; ++i) {
      if (lines_[i].kind == Kind::Entry && HasName(lines_[i], upperKey)) return i;
    }
  }
  return std::nullopt;
}

std::optional<std::string> ProfileText::FindValue(std::string_view section,
                                                  std::string_view key) const {
  const auto index = FindEntry(UpperCase(section), UpperCase(key));
  if (!index) return std::nullopt;
  const Line& line = lines_[*index];
  return std::string(TrimBlanks(TextOf(line).substr(line.valueStart)));
}

std::vector<std::string> ProfileText::SectionEntries(std::string_view section) const {
  std::vector<std::string> entries;
  const Section* found = FirstSection(UpperCase(section));
  if (!found) return entries;
  for (size_t i = found->header + 1; i < found->end; ++i) {
    if (lines_[i].kind == Kind::Entry) entries.emplace_back(TrimBlanks(TextOf(lines_[i])));
  }
  return entries;
}

bool ProfileText::HasSection(std::string_view section) const {
  return FirstSection(UpperCase(section)) != nullptr;
}

std::vector<std::string_view> ProfileText::SectionLines(std::string_view section) const {
  std::vector<std::string_view> result;
  const Section* found = FirstSection(UpperCase(section));
  if (!found) return result;
  for (size_t i = found->header + 1; i < found->end; ++i) {
    const Kind kind = lines_[i].kind;
    if (kind == Kind::Entry || kind == Kind::Other) result.emplace_back(TextOf(lines_[i]));
  }
  return result;
}

void ProfileText::InsertLine(size_t position, std::string_view text) {
  if (position > 0 && lines_[position - 1].ending == Ending::None) {
    lines_[position - 1].ending = Ending::CrLf;
  }
  const Line line = NewLine(text, Ending::CrLf);
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(position), line);
}

void ProfileText::SetValue(std::string_view section, std::string_view key,
                           std::string_view value) {
  const std::string upperSection = UpperCase(section);
  if (const auto entry = FindEntry(upperSection, UpperCase(key))) {
    // The key keeps the spelling the file gives it; the line keeps its line end.
    Line& line = lines_[*entry];
    const std::string text = std::string(NameOf(line)) + "=" + std::string(value);
    line = NewLine(text, line.ending);
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
  for (const Line& line : lines_) {
    if (line.kind == Kind::Section) inSection = HasName(line, upperSection);
    if (inSection && line.kind == Kind::Entry && HasName(line, upperKey)) {
      removed = true;
      continue;
    }
    kept.push_back(line);
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
  for (const Line& line : lines_) {
    if (line.kind == Kind::Section) inSection = HasName(line, upperSection);
    if (inSection) {
      removed = true;
      continue;
    }
    kept.push_back(line);
  }
  lines_ = std::move(kept);
  IndexSections();
  return removed;
}

}  // namespace tavrek::platform
