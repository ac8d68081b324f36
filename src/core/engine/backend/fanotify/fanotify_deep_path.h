#pragma once
// The path of an open directory, also one deeper than the kernel names in
// one answer: /proc/self/fd tells a path only up to PATH_MAX bytes, but a
// tree may go on far below that (and someone who wants activity unseen may
// put it there). Such a directory's path is found by climbing through ".."
// until the kernel can name a directory above, and taking the name of each
// one passed from its parent by its inode. Names once found are kept, so a
// climb through a known part of the tree reads no directory.
#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>

#include "core/platform/file_identity.h"

namespace tavrek::engine {

class FanotifyDeepPaths {
 public:
  // Beyond this many names kept the table starts afresh.
  static constexpr size_t kMaxNames = 16384;
  // A climb gives up beyond this many directories.
  static constexpr size_t kMaxClimb = 16384;

  explicit FanotifyDeepPaths(size_t maxClimb = kMaxClimb) : maxClimb_(maxClimb) {}

  // The path of the directory open as `directory` (any descriptor of it,
  // O_PATH will do), without a trailing "/"; nothing when it cannot be told.
  std::optional<std::string> PathOf(int directory);
  // The name of the directory `child` (open, with status `status`) in its
  // parent `parent` now; nothing when it is not found there.
  std::optional<std::string> NameIn(int parent, const struct stat& status);
  // Whether the open directory lies below the one with `device` and `inode`
  // (climbing by ".." alone, which needs no names).
  bool IsBelow(int directory, dev_t device, ino_t inode) const;

 private:
  using Place = platform::FileIdentity;
  std::optional<std::string> Search(int parent, const Place& child);

  size_t maxClimb_;
  std::unordered_map<Place, std::string, platform::FileIdentityHash> names_;  // a directory's name in its parent
};

// The target of the link /proc/self/fd/FD; nothing (errno ENAMETOOLONG when
// the path is too long to be told) when it cannot be read.
std::optional<std::string> FanotifyFdPath(int fd);

}  // namespace tavrek::engine
