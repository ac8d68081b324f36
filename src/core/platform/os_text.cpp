#include "core/platform/os_text.h"

#include <sys/utsname.h>

#include <string_view>

#include "core/platform/file_io.h"

namespace tavrek::platform {
namespace {

constexpr const char* kOsReleaseFallback = "/usr/lib/os-release";
constexpr std::string_view kPrettyNameKey = "PRETTY_NAME=";
constexpr std::string_view kDefaultName = "Linux";
constexpr std::string_view kSeparator = " | ";

// A shell-style value: double quotes allow the escapes \" \\ \$ \`, single
// quotes none; unquoted text is taken as it is.
std::string Unquote(std::string_view value) {
  if (value.size() < 2 || value.front() != value.back()) return std::string(value);
  const char quote = value.front();
  if (quote != '"' && quote != '\'') return std::string(value);
  value = value.substr(1, value.size() - 2);
  if (quote == '\'') return std::string(value);
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size() &&
        std::string_view("\"\\$`").find(value[i + 1]) != std::string_view::npos) {
      ++i;
    }
    out.push_back(value[i]);
  }
  return out;
}

std::string PrettyName(std::string_view text) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.starts_with(kPrettyNameKey)) return Unquote(line.substr(kPrettyNameKey.size()));
    start = end + 1;
  }
  return std::string(kDefaultName);
}

}  // namespace

std::string OperatingSystemText(const std::string& osReleasePath) {
  FileContent content = ReadWholeFile(osReleasePath);
  if (content.status == ReadStatus::Missing && osReleasePath == kOsReleasePath) {
    content = ReadWholeFile(kOsReleaseFallback);
  }
  if (content.status == ReadStatus::Missing || content.status == ReadStatus::OpenFailed) {
    return "ERR-1";
  }
  if (content.status == ReadStatus::ReadFailed) return "ERR";
  utsname system{};
  uname(&system);
  return PrettyName(content.bytes) + std::string(kSeparator) + system.release +
         std::string(kSeparator) + system.machine;
}

}  // namespace tavrek::platform
