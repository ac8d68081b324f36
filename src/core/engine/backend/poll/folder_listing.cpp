#include "core/engine/backend/poll/folder_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace tavrek::engine {
namespace {

constexpr int64_t kNanosecondsPerSecond = 1'000'000'000;

int64_t Nanoseconds(const timespec& time) {
  return static_cast<int64_t>(time.tv_sec) * kNanosecondsPerSecond + time.tv_nsec;
}

bool IsDotOrDotDot(const char* name) {
  return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

}  // namespace

bool ListedEntry::isDirectory() const { return S_ISDIR(mode); }

bool ReadListing(int directoryFd, std::vector<ListedEntry>& out) {
  out.clear();
  // A copy for the stream, which closes it: the caller keeps its own.
  const int copy = fcntl(directoryFd, F_DUPFD_CLOEXEC, 0);
  DIR* directory = copy < 0 ? nullptr : fdopendir(copy);
  if (directory == nullptr) {
    if (copy >= 0) close(copy);
    return false;
  }
  const int fd = dirfd(directory);
  while (const dirent* item = readdir(directory)) {
    if (IsDotOrDotDot(item->d_name)) continue;
    struct stat status;
    if (fstatat(fd, item->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) continue;
    out.push_back({item->d_name, status.st_dev, status.st_ino, status.st_size,
                   Nanoseconds(status.st_atim), Nanoseconds(status.st_mtim), Nanoseconds(status.st_ctim), status.st_mode,
                   status.st_uid, status.st_gid});
  }
  closedir(directory);
  std::sort(out.begin(), out.end(),
            [](const ListedEntry& a, const ListedEntry& b) { return a.name < b.name; });
  return true;
}

}  // namespace tavrek::engine
