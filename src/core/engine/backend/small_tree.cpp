#include "core/engine/backend/small_tree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace tavrek::engine {
namespace {

constexpr int kDirectoryOpenFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

bool IsDirectory(int parent, const dirent& entry) {
  if (entry.d_type != DT_UNKNOWN) return entry.d_type == DT_DIR;
  struct stat status {};
  return fstatat(parent, entry.d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
         S_ISDIR(status.st_mode);
}

bool IsDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Adds the subdirectories of `path` to `pending` while the count stays within
// `limit`; false once it would not.
bool CountChildren(const std::string& path, std::vector<std::string>& pending, size_t& count,
                   size_t limit) {
  const int fd = open(path.c_str(), kDirectoryOpenFlags);
  DIR* directory = fd < 0 ? nullptr : fdopendir(fd);
  if (directory == nullptr) {
    if (fd >= 0) close(fd);
    return true;
  }
  bool within = true;
  while (const dirent* entry = readdir(directory)) {
    if (IsDotOrDotDot(entry->d_name) || !IsDirectory(dirfd(directory), *entry)) continue;
    within = ++count <= limit;
    if (!within) break;
    pending.push_back(path + "/" + entry->d_name);
  }
  closedir(directory);
  return within;
}

}  // namespace

bool TreeHasAtMostDirectories(const std::string& folder, size_t limit) {
  if (limit == 0) return false;
  // The folder itself may be reached through a symbolic link.
  std::vector<std::string> pending{folder.ends_with('/') ? folder + "." : folder + "/."};
  size_t count = 1;
  while (!pending.empty()) {
    const std::string path = std::move(pending.back());
    pending.pop_back();
    if (!CountChildren(path, pending, count, limit)) return false;
  }
  return true;
}

}  // namespace tavrek::engine
