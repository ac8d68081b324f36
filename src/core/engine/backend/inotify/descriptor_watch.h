#pragma once
// Adds inotify watches on open directories. The kernel takes a path only, and
// "/proc/self/fd/N" names exactly the directory that was opened, but resolving
// it walks through /proc on every call: on large trees that was a third of the
// start-up. Where the calling thread can have a working directory of its own,
// the open directory becomes the working directory and is watched as ".",
// which costs no lookup at all. The thread gets its working directory back at
// the end of every walk, so it never holds a folder (or a file system) busy.
//
// The main thread keeps the slower way: other threads may rely on the working
// directory it shares with them.
#include <cstdint>

namespace tavrek::engine {

class DescriptorWatch {
 public:
  explicit DescriptorWatch(int inotifyFd) : inotifyFd_(inotifyFd) {}
  DescriptorWatch(const DescriptorWatch&) = delete;
  DescriptorWatch& operator=(const DescriptorWatch&) = delete;
  ~DescriptorWatch() { Restore(); }

  // Watches the directory open as `fd`; inotify_add_watch's result.
  int Add(int fd, uint32_t mask);
  // To be called before `fd` is closed: its number may come back for another.
  void Forget(int fd) {
    if (current_ == fd) current_ = -1;
  }
  // Gives the thread its own working directory back.
  void Restore();

 private:
  int inotifyFd_;
  int current_ = -1;   // the descriptor the working directory was set from
  bool moved_ = false;  // the working directory is not the thread's own
};

}  // namespace tavrek::engine
