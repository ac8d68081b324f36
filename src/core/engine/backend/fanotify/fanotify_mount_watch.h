#pragma once
// Notice of changes to the mount table. fanotify says nothing when a file
// system is unmounted, so the backend looks again at its folder whenever the
// mount table changes.
//
// The mount table signals a change with POLLPRI while it is always readable,
// so polled for input it would wake its poller at once, every time. It is
// therefore put into an epoll set whose own descriptor turns readable only on
// a change. Polling consumes the change signal of a descriptor, so a second,
// independent descriptor answers whether a change happened.
#include <string>

#include "core/engine/backend/fanotify/fanotify_kernel.h"

namespace tavrek::engine {

class FanotifyMountWatch {
 public:
  bool Open(std::string& error);
  // Readable (POLLIN) after the mount table changed.
  int WakeFd() const { return epoll_.get(); }
  // Whether the mount table changed since the last call; clears the wake-up.
  bool TakeChange();

 private:
  FanotifyScopedFd wakeSource_;
  FanotifyScopedFd epoll_;
  FanotifyScopedFd changeSource_;
};

}  // namespace tavrek::engine
