#include "core/engine/backend/fanotify/fanotify_mount_watch.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/epoll.h>

namespace tavrek::engine {
namespace {

constexpr const char* kMountTable = "/proc/self/mountinfo";
constexpr int kNoWait = 0;

FanotifyScopedFd OpenMountTable() {
  return FanotifyScopedFd(open(kMountTable, O_RDONLY | O_CLOEXEC));
}

}  // namespace

bool FanotifyMountWatch::Open(std::string& error) {
  wakeSource_ = OpenMountTable();
  changeSource_ = OpenMountTable();
  if (!wakeSource_.valid() || !changeSource_.valid()) {
    error = SystemError(kMountTable);
    return false;
  }
  epoll_.Reset(epoll_create1(EPOLL_CLOEXEC));
  epoll_event interest{};
  interest.events = EPOLLPRI;
  if (!epoll_.valid() || epoll_ctl(epoll_.get(), EPOLL_CTL_ADD, wakeSource_.get(), &interest)) {
    error = SystemError("epoll");
    return false;
  }
  return true;
}

bool FanotifyMountWatch::TakeChange() {
  epoll_event ignored{};
  epoll_wait(epoll_.get(), &ignored, 1, kNoWait);
  pollfd change{changeSource_.get(), POLLPRI, 0};
  return poll(&change, 1, kNoWait) > 0 && (change.revents & (POLLPRI | POLLERR)) != 0;
}

}  // namespace tavrek::engine
