#include "core/platform/absolute_path.h"

#include <limits.h>
#include <unistd.h>

#include <array>
#include <vector>

namespace tavrek::platform {
namespace {

void AddNames(std::string_view path, std::vector<std::string_view>& names) {
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view name = path.substr(start, end - start);
    if (name == "..") {
      if (!names.empty()) names.pop_back();
    } else if (!name.empty() && name != ".") {
      names.push_back(name);
    }
    start = end + 1;
  }
}

}  // namespace

std::string AbsolutePath(std::string_view path, std::string_view currentFolder) {
  std::vector<std::string_view> names;
  if (path.empty() || path.front() != '/') AddNames(currentFolder, names);
  AddNames(path, names);
  std::string out;
  for (std::string_view name : names) {
    out.push_back('/');
    out += name;
  }
  return out.empty() ? std::string("/") : out;
}

std::optional<std::string> CurrentFolder() {
  std::array<char, PATH_MAX> buffer{};
  // Linux marks a folder that is no longer reachable with "(unreachable)".
  if (getcwd(buffer.data(), buffer.size()) == nullptr || buffer[0] != '/') return std::nullopt;
  return std::string(buffer.data());
}

}  // namespace tavrek::platform
