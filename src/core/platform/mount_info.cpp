#include "core/platform/mounts.h"

#include <charconv>

#include "core/platform/file_io.h"

namespace tavrek::platform {
namespace {

// Fields of a mountinfo line before the optional fields.
constexpr size_t kDeviceField = 2;
constexpr size_t kMountPointField = 4;
constexpr size_t kFixedFields = 6;
constexpr std::string_view kSeparator = "-";
constexpr size_t kOctalDigits = 3;

bool IsOctal(char c) { return c >= '0' && c <= '7'; }

// The kernel writes blank, tab, newline and backslash as \ooo.
std::string Unescape(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + kOctalDigits < field.size() && IsOctal(field[i + 1]) &&
        IsOctal(field[i + 2]) && IsOctal(field[i + 3])) {
      out.push_back(static_cast<char>(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) |
                                      (field[i + 3] - '0')));
      i += kOctalDigits;
    } else {
      out.push_back(field[i]);
    }
  }
  return out;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  while (start < line.size()) {
    size_t end = line.find(' ', start);
    if (end == std::string_view::npos) end = line.size();
    if (end > start) fields.push_back(line.substr(start, end - start));
    start = end + 1;
  }
  return fields;
}

bool ParseDevice(std::string_view text, unsigned& major, unsigned& minor) {
  const size_t colon = text.find(':');
  if (colon == std::string_view::npos) return false;
  const char* end = text.data() + text.size();
  const auto majorResult = std::from_chars(text.data(), text.data() + colon, major);
  const auto minorResult = std::from_chars(text.data() + colon + 1, end, minor);
  return majorResult.ec == std::errc() && majorResult.ptr == text.data() + colon &&
         minorResult.ec == std::errc() && minorResult.ptr == end;
}

bool ParseLine(std::string_view line, MountEntry& entry) {
  const std::vector<std::string_view> fields = SplitFields(line);
  if (fields.size() < kFixedFields) return false;
  size_t separator = kFixedFields;
  while (separator < fields.size() && fields[separator] != kSeparator) ++separator;
  if (separator + 1 >= fields.size()) return false;  // no separator or no type after it
  if (!ParseDevice(fields[kDeviceField], entry.major, entry.minor)) return false;
  entry.mountPoint = Unescape(fields[kMountPointField]);
  entry.fsType = Unescape(fields[separator + 1]);
  entry.source = separator + 2 < fields.size() ? Unescape(fields[separator + 2]) : "";
  return true;
}

}  // namespace

std::vector<MountEntry> ParseMountInfo(std::string_view text) {
  std::vector<MountEntry> mounts;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    MountEntry entry;
    if (ParseLine(text.substr(start, end - start), entry)) mounts.push_back(std::move(entry));
    start = end + 1;
  }
  return mounts;
}

std::vector<MountEntry> ReadMounts(const std::string& path) {
  const FileContent content = ReadWholeFile(path);
  if (content.status != ReadStatus::Ok) return {};
  return ParseMountInfo(content.bytes);
}

}  // namespace tavrek::platform
