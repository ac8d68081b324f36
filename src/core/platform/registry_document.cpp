#include "core/platform/registry_document.h"

#include <algorithm>
#include <cstdio>

#include "core/platform/cp1252.h"
#include "core/platform/profile_text.h"
#include "core/platform/text_case.h"

namespace tavrek::platform {
namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kDwordPrefix = "dword:";
constexpr std::string_view kBinaryPrefix = "hex:";
constexpr std::string_view kTypedPrefix = "hex(";
constexpr size_t kDwordDigits = 8;
constexpr size_t kDwordBytes = 4;

std::optional<uint32_t> ParseHexNumber(std::string_view digits, size_t maxDigits) {
  if (digits.empty() || digits.size() > maxDigits) return std::nullopt;
  uint32_t number = 0;
  for (char c : digits) {
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) return std::nullopt;
    number = number * 16 + static_cast<uint32_t>(digit);
  }
  return number;
}

// "01,ff, 2a" (blanks allowed around bytes); empty text is no bytes.
std::optional<std::string> ParseHexBytes(std::string_view text) {
  std::string bytes;
  if (TrimBlanks(text).empty()) return bytes;
  while (true) {
    const size_t comma = text.find(',');
    const auto byte = ParseHexNumber(TrimBlanks(text.substr(0, comma)), 2);
    if (!byte) return std::nullopt;
    bytes.push_back(static_cast<char>(*byte));
    if (comma == std::string_view::npos) return bytes;
    text.remove_prefix(comma + 1);
  }
}

// A quoted text at the start of `text`; `rest` receives what follows it.
std::optional<std::string> ParseQuoted(std::string_view text, std::string_view& rest) {
  if (text.empty() || text.front() != '"') return std::nullopt;
  std::string out;
  for (size_t i = 1; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      rest = text.substr(i + 1);
      return out;
    }
    if (c == '\\' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == '"')) ++i;
    out.push_back(text[i]);
  }
  return std::nullopt;  // no closing quote
}

std::string Quote(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  return out + "\"";
}

std::string HexBytes(std::string_view bytes) {
  std::string out;
  char digits[4];
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned char>(bytes[i]));
    if (i > 0) out.push_back(',');
    out += digits;
  }
  return out;
}

bool NeedsHexString(std::string_view text) {
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return true;
  }
  return !IsValidUtf8(text);
}

std::optional<RegistryValue> ParseDword(std::string_view digits) {
  const auto number = ParseHexNumber(TrimBlanks(digits), kDwordDigits);
  if (!number) return std::nullopt;
  RegistryValue value;
  value.type = kRegistryDword;
  for (size_t i = 0; i < kDwordBytes; ++i) {
    value.data.push_back(static_cast<char>(*number >> (8 * i)));
  }
  return value;
}

// "hex:..." (binary) or "hex(N):..." (type N).
std::optional<RegistryValue> ParseHexData(std::string_view data) {
  std::optional<uint32_t> type;
  if (data.substr(0, kBinaryPrefix.size()) == kBinaryPrefix) {
    type = kRegistryBinary;
    data.remove_prefix(kBinaryPrefix.size());
  } else if (data.substr(0, kTypedPrefix.size()) == kTypedPrefix) {
    const size_t close = data.find("):");
    if (close == std::string_view::npos) return std::nullopt;
    const size_t digits = close - kTypedPrefix.size();
    type = ParseHexNumber(data.substr(kTypedPrefix.size(), digits), kDwordDigits);
    data.remove_prefix(close + 2);
  }
  auto bytes = type ? ParseHexBytes(data) : std::nullopt;
  if (!bytes) return std::nullopt;
  RegistryValue value;
  value.type = *type;
  value.data = std::move(*bytes);
  // A string stored as hex(1) carries its terminating NUL.
  if (value.type == kRegistryString && !value.data.empty() && value.data.back() == '\0') {
    value.data.pop_back();
  }
  return value;
}

std::optional<RegistryValue> ParseData(std::string_view data) {
  std::string_view rest;
  if (auto text = ParseQuoted(data, rest)) {
    if (!TrimBlanks(rest).empty()) return std::nullopt;
    RegistryValue value;
    value.data = std::move(*text);
    return value;
  }
  if (data.substr(0, kDwordPrefix.size()) == kDwordPrefix) {
    return ParseDword(data.substr(kDwordPrefix.size()));
  }
  return ParseHexData(data);
}

std::optional<RegistryValue> ParseValueLine(std::string_view line) {
  std::string name;
  std::string_view rest;
  if (line.front() == '@') {
    rest = line.substr(1);
  } else if (auto quoted = ParseQuoted(line, rest)) {
    name = std::move(*quoted);
  } else {
    return std::nullopt;
  }
  rest = TrimBlanks(rest);
  if (rest.empty() || rest.front() != '=') return std::nullopt;
  auto value = ParseData(TrimBlanks(rest.substr(1)));
  if (value) value->name = std::move(name);
  return value;
}

std::string FormatData(const RegistryValue& value) {
  if (value.type == kRegistryString) {
    if (!NeedsHexString(value.data)) return Quote(value.data);
    return "hex(1):" + HexBytes(value.data + std::string(1, '\0'));
  }
  if (value.type == kRegistryDword && value.data.size() == kDwordBytes) {
    uint32_t number = 0;
    for (size_t i = 0; i < kDwordBytes; ++i) {
      number |= static_cast<uint32_t>(static_cast<unsigned char>(value.data[i])) << (8 * i);
    }
    char digits[16];
    std::snprintf(digits, sizeof digits, "%08x", number);
    return std::string(kDwordPrefix) + digits;
  }
  if (value.type == kRegistryBinary) return std::string(kBinaryPrefix) + HexBytes(value.data);
  char type[16];
  std::snprintf(type, sizeof type, "hex(%x):", value.type);
  return type + HexBytes(value.data);
}

// The text's lines, each with its line end ("\r\n", "\n", or none for the last).
std::vector<std::string_view> PhysicalLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t newline = text.find('\n', start);
    const size_t end = newline == std::string_view::npos ? text.size() : newline + 1;
    lines.push_back(text.substr(start, end - start));
    start = end;
  }
  return lines;
}

// A line without its end and the blanks around it.
std::string_view Content(std::string_view line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return TrimBlanks(line);
}

bool IsKeyLine(std::string_view content) {
  // "[-path]" deletes a key in an import; a store has nothing to delete.
  return content.size() > 2 && content.front() == '[' && content.back() == ']' &&
         content[1] != '-';
}

bool IsValueStart(std::string_view content) {
  return !content.empty() && (content.front() == '"' || content.front() == '@');
}

// The value starting at lines[first]. Hex data may continue over lines ending
// in "\", but only where the joined text is a value: a comment or key line
// never becomes part of one. `last` receives the last line the value took.
std::optional<RegistryValue> ParseValueAt(const std::vector<std::string_view>& lines,
                                          size_t first, size_t& last) {
  last = first;
  std::string joined(Content(lines[first]));
  size_t end = first;
  while (!joined.empty() && joined.back() == '\\' && end + 1 < lines.size()) {
    joined.pop_back();
    joined += Content(lines[++end]);
  }
  if (end != first) {
    if (auto value = ParseValueLine(joined)) {
      last = end;
      return value;
    }
  }
  return ParseValueLine(Content(lines[first]));
}

bool IsHeaderLine(std::string_view line) {
  if (line.starts_with(kByteOrderMark)) line.remove_prefix(kByteOrderMark.size());
  return Content(line) == kHeader;
}

void EnsureLineEnd(std::string& text) {
  if (!text.empty() && text.back() != '\n') text += kLineEnd;
}

std::string ValueLine(const RegistryValue& value) {
  return (value.name.empty() ? std::string("@") : Quote(value.name)) + "=" + FormatData(value) +
         std::string(kLineEnd);
}

// Whether the first line that is not blank is the "REGEDIT4" header.
bool StartsWithHeader(std::string_view bytes) {
  for (std::string_view line : PhysicalLines(bytes)) {
    if (!Content(line).empty()) return IsHeaderLine(line);
  }
  return false;
}

}  // namespace

bool RegistryDocument::IsRegistryText(std::string_view bytes) {
  if (bytes.find('\0') != std::string_view::npos) return false;
  // An empty file (or one of blank lines) is where a new store begins.
  return bytes.find_first_not_of(" \t\r\n") == std::string_view::npos || StartsWithHeader(bytes);
}

RegistryDocument RegistryDocument::Parse(std::string_view bytes) {
  RegistryDocument document;
  document.windows1252_ = !IsValidUtf8(bytes);
  document.hasHeader_ = StartsWithHeader(bytes);
  const std::string text = DecodeStoredText(bytes);
  const std::vector<std::string_view> lines = PhysicalLines(text);
  bool valuesAllowed = false;  // below a key line that could be read
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string_view content = Content(lines[i]);
    if (IsKeyLine(content)) {
      const std::string path(content.substr(1, content.size() - 2));
      document.keys_.push_back(Key{path, UpperCase(path), std::string(lines[i]), {}});
      valuesAllowed = true;
      continue;
    }
    if (!content.empty() && content.front() == '[') valuesAllowed = false;
    Line line{std::nullopt, std::string(lines[i])};
    if (valuesAllowed && IsValueStart(content)) {
      size_t last = i;
      line.value = ParseValueAt(lines, i, last);
      while (i < last) line.raw += lines[++i];
    }
    auto& target = document.keys_.empty() ? document.leadingLines_ : document.keys_.back().lines;
    target.push_back(std::move(line));
  }
  return document;
}

std::string RegistryDocument::Format() const {
  std::string text;
  if (!hasHeader_) text = std::string(kHeader) + std::string(kLineEnd) + std::string(kLineEnd);
  auto formatLines = [&text](const std::vector<Line>& lines) {
    for (const Line& line : lines) {
      if (!line.raw.empty()) {
        text += line.raw;
      } else if (line.value) {
        EnsureLineEnd(text);
        text += ValueLine(*line.value);
      }
    }
  };
  formatLines(leadingLines_);
  for (const Key& key : keys_) {
    if (key.rawHeader.empty()) {
      EnsureLineEnd(text);
      text += "[" + key.path + "]" + std::string(kLineEnd);
    }
    text += key.rawHeader;
    formatLines(key.lines);
  }
  if (!windows1252_) return text;
  // Back into the file's own encoding, unless something new does not fit it.
  std::string encoded = Utf8ToCp1252(text);
  return Cp1252ToUtf8(encoded) == text ? encoded : text;
}

std::optional<size_t> RegistryDocument::FindKey(std::string_view keyPath) const {
  const std::string upperPath = UpperCase(keyPath);
  for (size_t i = keys_.size(); i-- > 0;) {
    if (keys_[i].upperPath == upperPath) return i;
  }
  return std::nullopt;
}

size_t RegistryDocument::KeyIndexForWriting(std::string_view keyPath) {
  if (const auto index = FindKey(keyPath)) return *index;
  // A blank line after the key keeps it apart from the next one.
  keys_.push_back(Key{std::string(keyPath), UpperCase(keyPath), {},
                      {Line{std::nullopt, std::string(kLineEnd)}}});
  return keys_.size() - 1;
}

// The listing that counts: the last one of that name in any listing of the key.
std::optional<RegistryDocument::Position> RegistryDocument::FindLine(
    std::string_view keyPath, std::string_view name) const {
  const std::string upperPath = UpperCase(keyPath);
  const std::string upperName = UpperCase(name);
  for (size_t key = keys_.size(); key-- > 0;) {
    if (keys_[key].upperPath != upperPath) continue;
    const auto& lines = keys_[key].lines;
    for (size_t i = lines.size(); i-- > 0;) {
      if (lines[i].value && UpperCase(lines[i].value->name) == upperName) return Position{key, i};
    }
  }
  return std::nullopt;
}

const RegistryValue* RegistryDocument::FindValue(std::string_view keyPath,
                                                 std::string_view name) const {
  const auto position = FindLine(keyPath, name);
  if (!position) return nullptr;
  return &*keys_[position->key].lines[position->line].value;
}

bool RegistryDocument::HasKey(std::string_view keyPath) const {
  const std::string upperPath = UpperCase(keyPath);
  const std::string upperPrefix = upperPath + "\\";
  for (const Key& key : keys_) {
    if (key.upperPath == upperPath || key.upperPath.starts_with(upperPrefix)) return true;
  }
  return false;
}

bool RegistryDocument::RemoveKeyTree(std::string_view keyPath) {
  const std::string upperPath = UpperCase(keyPath);
  const std::string upperPrefix = upperPath + "\\";
  return std::erase_if(keys_, [&](const Key& key) {
           return key.upperPath == upperPath || key.upperPath.starts_with(upperPrefix);
         }) > 0;
}

void RegistryDocument::SetValue(std::string_view keyPath, RegistryValue value) {
  if (const auto position = FindLine(keyPath, value.name)) {
    // The stored spelling of the name stays; the line is written anew.
    Line& line = keys_[position->key].lines[position->line];
    value.name = line.value->name;
    line = Line{std::move(value), {}};
    return;
  }
  // Appended after the key's last value, before blank lines and anything
  // that follows a key line that could not be read.
  auto& lines = keys_[KeyIndexForWriting(keyPath)].lines;
  size_t position = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].value) position = i + 1;
  }
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(position), Line{std::move(value), {}});
}

bool RegistryDocument::RemoveValue(std::string_view keyPath, std::string_view name) {
  const std::string upperPath = UpperCase(keyPath);
  const std::string upperName = UpperCase(name);
  size_t removed = 0;
  for (Key& key : keys_) {
    if (key.upperPath != upperPath) continue;
    removed += std::erase_if(key.lines, [&upperName](const Line& line) {
      return line.value && UpperCase(line.value->name) == upperName;
    });
  }
  return removed > 0;
}

}  // namespace tavrek::platform
