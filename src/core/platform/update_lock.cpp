#include "core/platform/update_lock.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

#include "core/platform/file_io.h"

namespace tavrek::platform {
namespace {

constexpr mode_t kLockFileMode = 0600;
constexpr std::chrono::milliseconds kFirstPause{1};
constexpr std::chrono::milliseconds kLongestPause{25};

std::string LockFileOf(const std::string& path) {
  const std::string target = ResolveTarget(path);
  return ParentFolder(target) + "/." + target.substr(target.find_last_of('/') + 1) + ".lock";
}

// flock has no time-out of its own: it is tried again with growing pauses
// until it is had or the wait is over.
bool LockWithin(int fd, std::chrono::milliseconds wait) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  std::chrono::milliseconds pause = kFirstPause;
  for (;;) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return false;
    using Duration = std::chrono::steady_clock::duration;
    std::this_thread::sleep_for(std::min<Duration>(pause, deadline - now));
    pause = std::min(pause * 2, kLongestPause);
  }
}

}  // namespace

UpdateLock::UpdateLock(const std::string& path, std::chrono::milliseconds wait) {
  if (path.empty() || path.back() == '/') return;
  const std::string lockFile = LockFileOf(path);
  if (!MakeFolders(ParentFolder(lockFile))) return;
  // Never through a link someone put in its place, never blocking on a FIFO.
  const int fd = open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK,
                      kLockFileMode);
  if (fd < 0) return;
  if (LockWithin(fd, wait)) {
    fd_ = fd;
  } else {
    close(fd);
  }
}

UpdateLock::~UpdateLock() {
  if (fd_ >= 0) close(fd_);  // closing the only descriptor lets the lock go
}

}  // namespace tavrek::platform
