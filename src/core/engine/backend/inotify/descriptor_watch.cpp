#include "core/engine/backend/inotify/descriptor_watch.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <charconv>
#include <string_view>

namespace tavrek::engine {
namespace {

constexpr std::string_view kDescriptorPrefix = "/proc/self/fd/";
constexpr size_t kDescriptorPathSize = 32;

// Whether this thread's working directory is its own, and the one it had
// when it became so.
class ThreadDirectory {
 public:
  ThreadDirectory() {
    // unshare(CLONE_FS) parts this thread's working directory (and umask)
    // from the other threads'; they keep theirs.
    if (gettid() == getpid() || unshare(CLONE_FS) != 0) return;
    original_ = open(".", O_PATH | O_DIRECTORY | O_CLOEXEC);
  }
  ~ThreadDirectory() {
    if (original_ >= 0) close(original_);
  }
  ThreadDirectory(const ThreadDirectory&) = delete;
  ThreadDirectory& operator=(const ThreadDirectory&) = delete;

  bool own() const { return original_ >= 0; }
  void Restore() const {
    // Cannot fail for a directory this thread was in; if it did, the thread
    // would only stay in a folder of the walk, harmless to the watch.
    [[maybe_unused]] const int result = fchdir(original_);
  }

 private:
  int original_ = -1;
};

ThreadDirectory& ThisThread() {
  thread_local ThreadDirectory directory;
  return directory;
}

int AddByProcPath(int inotifyFd, int fd, uint32_t mask) {
  char path[kDescriptorPathSize];
  const auto [end, error] =
      std::to_chars(path + kDescriptorPrefix.size(), path + sizeof path - 1, fd);
  kDescriptorPrefix.copy(path, kDescriptorPrefix.size());
  *end = '\0';
  return inotify_add_watch(inotifyFd, path, mask);
}

}  // namespace

int DescriptorWatch::Add(int fd, uint32_t mask) {
  // The descriptor's link must be followed; symbolic links were refused when
  // the directory was opened.
  mask &= ~IN_DONT_FOLLOW;
  if (current_ != fd && ThisThread().own()) {
    // A directory readable but not searchable cannot be entered.
    if (fchdir(fd) == 0) {
      current_ = fd;
      moved_ = true;
    }
  }
  if (current_ == fd) return inotify_add_watch(inotifyFd_, ".", mask);
  return AddByProcPath(inotifyFd_, fd, mask);
}

void DescriptorWatch::Restore() {
  current_ = -1;
  if (!moved_) return;
  moved_ = false;
  ThisThread().Restore();
}

}  // namespace tavrek::engine
