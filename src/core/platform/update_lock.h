#pragma once
// The lock of a read-modify-write of a small file the program keeps
// (settings, registry store). Such a file is replaced by rename, so the lock
// is taken on a hidden file beside it (".NAME.lock"), which is never
// replaced: two windows, or a window and the console, that change the same
// file one after the other each re-read it inside the lock and keep each
// other's changes. flock excludes threads of one process as well as other
// processes, since each lock opens the file anew; a writer killed while
// holding it lets go with its descriptors.
#include <chrono>
#include <string>

namespace tavrek::platform {

// Long enough for any peer's save (a read, a write and a flush of a few
// kilobytes), short enough that a stuck peer never hangs the interface.
inline constexpr std::chrono::milliseconds kUpdateLockWait{2000};

class UpdateLock {
 public:
  // Locks the update of `path` (the file a symbolic link names, when it is
  // one), creating its folder when missing. Waits for other holders until
  // `wait` has passed without any of them saving the file: a holder stuck
  // that long makes it give up, and later locks of the file in this process
  // only try once until one is had. held() tells whether the lock was had.
  explicit UpdateLock(const std::string& path, std::chrono::milliseconds wait = kUpdateLockWait);
  ~UpdateLock();
  UpdateLock(const UpdateLock&) = delete;
  UpdateLock& operator=(const UpdateLock&) = delete;

  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace tavrek::platform
