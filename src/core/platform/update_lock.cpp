#include "core/platform/update_lock.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <thread>
#include <unordered_set>

#include "core/platform/file_io.h"

namespace tavrek::platform {
namespace {

constexpr mode_t kLockFileMode = 0600;
constexpr std::chrono::milliseconds kFirstPause{1};
constexpr std::chrono::milliseconds kLongestPause{5};
constexpr std::chrono::milliseconds kNoWait{0};

std::string LockFileOf(const std::string& target) {
  return ParentFolder(target) + "/." + target.substr(target.find_last_of('/') + 1) + ".lock";
}

// Which version of the file is there: every save puts a new file in place.
struct Version {
  ino_t inode = 0;
  timespec modified{};
  bool operator==(const Version& other) const {
    return inode == other.inode && modified.tv_sec == other.modified.tv_sec &&
           modified.tv_nsec == other.modified.tv_nsec;
  }
};

Version VersionOf(const std::string& target) {
  struct stat status {};
  if (stat(target.c_str(), &status) != 0) return {};
  return {status.st_ino, status.st_mtim};
}

// flock has no time-out of its own: it is tried again with growing pauses
// until it is had or the wait is over. Peers that keep saving the file in
// turn are no stuck holder, so each of their saves starts the wait afresh;
// only a holder that lets nothing happen for the whole wait makes it fail.
bool LockWithin(int fd, const std::string& target, std::chrono::milliseconds wait) {
  auto deadline = std::chrono::steady_clock::now() + wait;
  Version seen = VersionOf(target);
  std::chrono::milliseconds pause = kFirstPause;
  for (;;) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    const auto now = std::chrono::steady_clock::now();
    if (const Version current = VersionOf(target); !(current == seen)) {
      seen = current;
      deadline = now + wait;
    }
    if (now >= deadline) return false;
    using Duration = std::chrono::steady_clock::duration;
    std::this_thread::sleep_for(std::min<Duration>(pause, deadline - now));
    pause = std::min(pause * 2, kLongestPause);
  }
}

// Files whose last lock wait ran out. A holder stuck that long is most likely
// stuck still: later updates try once instead of stalling their caller (the
// window) for the whole wait again, until one of them gets the lock.
class StuckFiles {
 public:
  bool Contains(const std::string& target) {
    const std::lock_guard guard(mutex_);
    return files_.contains(target);
  }
  void Note(const std::string& target, bool stuck) {
    const std::lock_guard guard(mutex_);
    if (stuck) {
      files_.insert(target);
    } else {
      files_.erase(target);
    }
  }

 private:
  std::mutex mutex_;
  std::unordered_set<std::string> files_;
};

StuckFiles& Stuck() {
  static StuckFiles files;
  return files;
}

}  // namespace

UpdateLock::UpdateLock(const std::string& path, std::chrono::milliseconds wait) {
  if (path.empty() || path.back() == '/') return;
  const std::string target = ResolveTarget(path);
  const std::string lockFile = LockFileOf(target);
  if (!MakeFolders(ParentFolder(lockFile))) return;
  // Never through a link someone put in its place, never blocking on a FIFO.
  const int fd = open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK,
                      kLockFileMode);
  if (fd < 0) return;
  const std::chrono::milliseconds allowed = Stuck().Contains(target) ? kNoWait : wait;
  const bool had = LockWithin(fd, target, allowed);
  // Only a wait that ran out marks the file; a mere try tells nothing.
  if (had || allowed > kNoWait) Stuck().Note(target, !had);
  if (had) {
    fd_ = fd;
  } else {
    close(fd);
  }
}

UpdateLock::~UpdateLock() {
  if (fd_ >= 0) close(fd_);  // closing the only descriptor lets the lock go
}

}  // namespace tavrek::platform
