#include "capture/capture_arguments.h"

#include <sys/stat.h>

#include <string_view>

#include "core/platform/visible_text.h"

namespace tavrek::capture {
namespace {

// Absolute, without "." or ".." names: what is watched is exactly what is named.
bool IsPlainAbsolute(std::string_view path) {
  if (!path.starts_with('/')) return false;
  size_t start = 1;
  while (start < path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view name = path.substr(start, end - start);
    if (name == "." || name == "..") return false;
    start = end + 1;
  }
  return true;
}

std::string Slashed(std::string path) {
  while (path.size() > 1 && path.ends_with("//")) path.pop_back();
  if (!path.ends_with('/')) path += '/';
  return path;
}

bool CheckFolder(const std::string& path, std::string& error) {
  struct stat status{};
  if (!IsPlainAbsolute(path)) {
    error = "not an absolute folder path: " + platform::VisibleText(path);
    return false;
  }
  if (stat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
    error = "not a folder: " + platform::VisibleText(path);
    return false;
  }
  return true;
}

}  // namespace

std::optional<CaptureArguments> ParseCaptureArguments(const std::vector<std::string>& arguments,
                                                      std::string& error) {
  CaptureArguments parsed;
  bool folderSeen = false;
  for (const std::string& argument : arguments) {
    if (argument == "--no-subtree") {
      parsed.subtree = false;
    } else if (argument == "--access") {
      parsed.access = true;
    } else if (argument.starts_with('-')) {
      error = "unknown switch: " + platform::VisibleText(argument);
      return std::nullopt;
    } else if (folderSeen) {
      error = "one folder only";
      return std::nullopt;
    } else if (!CheckFolder(argument, error)) {
      return std::nullopt;
    } else {
      parsed.folder = Slashed(argument);
      folderSeen = true;
    }
  }
  if (!folderSeen) {
    error = "no folder";
    return std::nullopt;
  }
  return parsed;
}

}  // namespace tavrek::capture
