#include "core/engine/backend/fanotify/fanotify_deep_path.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "core/engine/backend/fanotify/fanotify_kernel.h"

namespace tavrek::engine {
namespace {

bool SameDirectory(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

std::string Joined(std::string top, const std::vector<std::string>& namesUpward) {
  for (size_t index = namesUpward.size(); index-- > 0;) {
    if (top != "/") top += '/';
    top += namesUpward[index];
  }
  return top;
}

}  // namespace

std::optional<std::string> FanotifyFdPath(int fd) {
  std::string target(PATH_MAX, '\0');
  const std::string link = "/proc/self/fd/" + std::to_string(fd);
  const ssize_t length = readlink(link.c_str(), target.data(), target.size());
  if (length < 0) return std::nullopt;
  if (length == 0 || static_cast<size_t>(length) >= target.size()) {
    errno = ENAMETOOLONG;
    return std::nullopt;
  }
  target.resize(static_cast<size_t>(length));
  return target;
}

std::optional<std::string> FanotifyDeepPaths::PathOf(int directory) {
  if (std::optional<std::string> path = FanotifyFdPath(directory)) return path;
  if (errno != ENAMETOOLONG) return std::nullopt;
  FanotifyScopedFd current(fcntl(directory, F_DUPFD_CLOEXEC, 0));
  std::vector<std::string> namesUpward;
  for (size_t climbed = 0; current.valid() && climbed <= maxClimb_; ++climbed) {
    if (std::optional<std::string> top = FanotifyFdPath(current.get())) {
      if (!top->starts_with('/')) return std::nullopt;  // unreachable from here
      return Joined(std::move(*top), namesUpward);
    }
    if (errno != ENAMETOOLONG) return std::nullopt;
    struct stat own {};
    struct stat above {};
    FanotifyScopedFd parent(openat(current.get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!parent.valid() || fstat(current.get(), &own) != 0 || fstat(parent.get(), &above) != 0 ||
        SameDirectory(own, above)) {
      return std::nullopt;
    }
    std::optional<std::string> name = NameIn(parent.get(), own);
    if (!name) return std::nullopt;
    namesUpward.push_back(std::move(*name));
    current = std::move(parent);
  }
  return std::nullopt;
}

bool FanotifyDeepPaths::IsBelow(int directory, dev_t device, ino_t inode) const {
  FanotifyScopedFd current(fcntl(directory, F_DUPFD_CLOEXEC, 0));
  struct stat own {};
  for (size_t climbed = 0; current.valid() && climbed <= kMaxClimb; ++climbed) {
    FanotifyScopedFd parent(openat(current.get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat above {};
    if (!parent.valid() || fstat(current.get(), &own) != 0 || fstat(parent.get(), &above) != 0 ||
        SameDirectory(own, above)) {
      return false;
    }
    if (above.st_dev == device && above.st_ino == inode) return true;
    current = std::move(parent);
  }
  return false;
}

std::optional<std::string> FanotifyDeepPaths::NameIn(int parent, const struct stat& status) {
  const Place child{status.st_dev, status.st_ino};
  struct stat there {};
  if (auto known = names_.find(child); known != names_.end()) {
    // Still there under that name, unless it was renamed or moved since.
    if (fstatat(parent, known->second.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0 &&
        SameDirectory(there, status)) {
      return known->second;
    }
    names_.erase(known);
  }
  std::optional<std::string> name = Search(parent, child);
  if (!name) return std::nullopt;
  if (names_.size() >= kMaxNames) names_.clear();
  names_.emplace(child, *name);
  return name;
}

// Reads the parent for an entry with the child's inode, and makes sure by
// its status (an entry's inode number may differ from its status's where a
// file system is mounted on it).
std::optional<std::string> FanotifyDeepPaths::Search(int parent, const Place& child) {
  const int readable = openat(parent, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* stream = readable < 0 ? nullptr : fdopendir(readable);
  if (stream == nullptr) {
    if (readable >= 0) close(readable);
    return std::nullopt;
  }
  std::optional<std::string> found;
  while (const dirent* item = readdir(stream)) {
    if (item->d_ino != child.inode || std::strcmp(item->d_name, "..") == 0 ||
        std::strcmp(item->d_name, ".") == 0) {
      continue;
    }
    struct stat there {};
    if (fstatat(parent, item->d_name, &there, AT_SYMLINK_NOFOLLOW) == 0 &&
        Place{there.st_dev, there.st_ino} == child) {
      found = item->d_name;
      break;
    }
  }
  closedir(stream);
  return found;
}

}  // namespace tavrek::engine
