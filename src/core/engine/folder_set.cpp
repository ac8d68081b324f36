#include "core/engine/folder_set.h"

namespace tavrek::engine {

std::vector<std::string> SplitFolderList(std::string_view text) {
  const size_t firstComma = text.find(',');
  if (firstComma == std::string_view::npos || firstComma == 0) {
    if (text.empty()) return {};
    return {std::string(text)};
  }
  std::vector<std::string> folders;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(',', start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) folders.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return folders;
}

bool FolderSet::Add(std::string_view path) {
  if (path.empty()) return false;
  folders_[std::string(path)] = std::string(path);
  return true;
}

std::string_view FolderName(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  return path;
}

std::string NormaliseFolderPath(std::string_view path) {
  std::string normalised;
  normalised.reserve(path.size() + 1);
  for (char c : path) {
    if (c == '/' && !normalised.empty() && normalised.back() == '/') continue;
    normalised += c;
  }
  if (normalised.empty() || normalised.back() != '/') normalised += '/';
  return normalised;
}

}  // namespace tavrek::engine
