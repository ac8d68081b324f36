#pragma once
// The folders of one watch window, keyed by the path as entered. Linux names
// are case-sensitive, so keys are never upper-cased: "/Data" and "/data" are
// two folders.
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tavrek::engine {

inline constexpr std::string_view kWholeDrive = "/";

// The folders of a folder-list text: one path, or several separated by ","
// (when the first "," is not the text's first character); empty pieces are
// skipped. Only the folder hand-over of the old command line and the
// local-drives text are written this way; everywhere else a folder travels
// whole (a "," is an ordinary character of a Linux folder name).
std::vector<std::string> SplitFolderList(std::string_view text);

class FolderSet {
 public:
  // Adds one folder as entered; an empty path is skipped. True when added or replaced.
  bool Add(std::string_view path);

  void Clear() { folders_.clear(); }
  bool empty() const { return folders_.empty(); }
  size_t size() const { return folders_.size(); }
  // Key order, which is also the order of positions and of the folder list.
  const std::map<std::string, std::string>& folders() const { return folders_; }

 private:
  std::map<std::string, std::string> folders_;
};

// Appends "/" and collapses every run of "/" into one; "/" stays "/".
std::string NormaliseFolderPath(std::string_view path);
// A folder as rows and lists name it: without a trailing "/", except "/" itself.
std::string_view FolderName(std::string_view path);

}  // namespace tavrek::engine
