#include "core/engine/backend/mount_points.h"

#include <fstream>
#include <sstream>

namespace tavrek::engine {
namespace {

// mountinfo: "id parent major:minor root mount-point options ...".
constexpr int kMountPointField = 4;
constexpr size_t kOctalEscapeLength = 4;  // backslash and three digits
constexpr int kOctalBase = 8;

bool IsOctalDigit(char c) { return c >= '0' && c <= '7'; }

std::string Unescape(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + kOctalEscapeLength <= text.size() && IsOctalDigit(text[i + 1]) &&
        IsOctalDigit(text[i + 2]) && IsOctalDigit(text[i + 3])) {
      int value = ((text[i + 1] - '0') * kOctalBase + (text[i + 2] - '0')) * kOctalBase +
                  (text[i + 3] - '0');
      result += static_cast<char>(value);
      i += kOctalEscapeLength - 1;
    } else {
      result += text[i];
    }
  }
  return result;
}

// The field-th blank-separated field of a line, or empty.
std::string_view Field(std::string_view line, int field) {
  size_t start = 0;
  for (int index = 0;; ++index) {
    start = line.find_first_not_of(' ', start);
    if (start == std::string_view::npos) return {};
    size_t end = line.find(' ', start);
    if (end == std::string_view::npos) end = line.size();
    if (index == field) return line.substr(start, end - start);
    start = end;
  }
}

}  // namespace

std::vector<std::string> MountPointsInside(std::string_view folder, std::string_view mountInfo) {
  std::vector<std::string> inside;
  while (!mountInfo.empty()) {
    size_t lineEnd = mountInfo.find('\n');
    std::string_view line = mountInfo.substr(0, lineEnd);
    mountInfo.remove_prefix(lineEnd == std::string_view::npos ? mountInfo.size() : lineEnd + 1);

    std::string_view field = Field(line, kMountPointField);
    if (field.empty() || field.front() != '/') continue;
    std::string mountPoint = Unescape(field);
    if (mountPoint.back() != '/') mountPoint += '/';
    if (mountPoint.size() > folder.size() && mountPoint.starts_with(folder)) {
      inside.push_back(std::move(mountPoint));
    }
  }
  return inside;
}

std::vector<std::string> MountPointsInside(std::string_view folder) {
  std::ifstream file("/proc/self/mountinfo");
  if (!file) return {};
  std::ostringstream text;
  text << file.rdbuf();
  return MountPointsInside(folder, text.str());
}

}  // namespace tavrek::engine
