#include "core/platform/registry_document.h"

#include <cstdio>

#include "core/platform/cp1252.h"
#include "core/platform/profile_text.h"
#include "core/platform/text_case.h"

namespace tavrek::platform {
namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kLineEnd = "\r\n";
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

// The text's lines with CR LF or LF ends removed and "\"-continued lines joined.
std::vector<std::string> LogicalLines(std::string_view text) {
  std::vector<std::string> lines;
  bool continues = false;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (continues) {
      lines.back() += std::string(TrimBlanks(line));
    } else {
      lines.emplace_back(TrimBlanks(line));
    }
    continues = !lines.back().empty() && lines.back().back() == '\\';
    if (continues) lines.back().pop_back();
    start = end + 1;
  }
  return lines;
}

}  // namespace

RegistryDocument RegistryDocument::Parse(std::string_view text) {
  RegistryDocument document;
  constexpr size_t kNoKey = static_cast<size_t>(-1);
  size_t current = kNoKey;  // index of the key the lines belong to
  for (const std::string& line : LogicalLines(DecodeStoredText(text))) {
    if (line.empty() || line == kHeader) continue;
    if (line.front() == ';') {
      auto& comments = current != kNoKey ? document.keys_[current].lines : document.leadingLines_;
      comments.push_back(Line{std::nullopt, line});
    } else if (line.front() == '[') {
      // "[-path]" deletes a key in an import; a store has nothing to delete.
      const bool isKey = line.back() == ']' && line.size() > 2 && line[1] != '-';
      current = isKey ? document.KeyIndexForWriting(line.substr(1, line.size() - 2)) : kNoKey;
    } else if (current != kNoKey) {
      auto value = ParseValueLine(line);
      if (value) document.SetValue(document.keys_[current].path, std::move(*value));
    }
  }
  return document;
}

std::string RegistryDocument::Format() const {
  std::string text = std::string(kHeader) + std::string(kLineEnd) + std::string(kLineEnd);
  auto formatLines = [&text](const std::vector<Line>& lines) {
    for (const Line& line : lines) {
      if (line.value) {
        const RegistryValue& value = *line.value;
        text += value.name.empty() ? std::string("@") : Quote(value.name);
        text += "=" + FormatData(value);
      } else {
        text += line.comment;
      }
      text += kLineEnd;
    }
  };
  formatLines(leadingLines_);
  for (const Key& key : keys_) {
    text += "[" + key.path + "]" + std::string(kLineEnd);
    formatLines(key.lines);
    text += kLineEnd;
  }
  return text;
}

std::optional<size_t> RegistryDocument::FindKey(std::string_view keyPath) const {
  const std::string upperPath = UpperCase(keyPath);
  for (size_t i = 0; i < keys_.size(); ++i) {
    if (keys_[i].upperPath == upperPath) return i;
  }
  return std::nullopt;
}

size_t RegistryDocument::KeyIndexForWriting(std::string_view keyPath) {
  if (const auto index = FindKey(keyPath)) return *index;
  keys_.push_back(Key{std::string(keyPath), UpperCase(keyPath), {}});
  return keys_.size() - 1;
}

std::optional<RegistryDocument::Position> RegistryDocument::FindLine(
    std::string_view keyPath, std::string_view name) const {
  const auto key = FindKey(keyPath);
  if (!key) return std::nullopt;
  const std::string upperName = UpperCase(name);
  const auto& lines = keys_[*key].lines;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].value && UpperCase(lines[i].value->name) == upperName) return Position{*key, i};
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
    // The stored spelling of the name stays.
    auto& stored = keys_[position->key].lines[position->line].value;
    value.name = stored->name;
    stored = std::move(value);
    return;
  }
  keys_[KeyIndexForWriting(keyPath)].lines.push_back(Line{std::move(value), {}});
}

bool RegistryDocument::RemoveValue(std::string_view keyPath, std::string_view name) {
  const auto index = FindKey(keyPath);
  if (!index) return false;
  const std::string upperName = UpperCase(name);
  auto& lines = keys_[*index].lines;
  const auto removed = std::erase_if(lines, [&upperName](const Line& line) {
    return line.value && UpperCase(line.value->name) == upperName;
  });
  return removed > 0;
}

}  // namespace tavrek::platform
