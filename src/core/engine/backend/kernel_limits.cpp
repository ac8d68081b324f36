#include "core/engine/backend/kernel_limits.h"

#include <sys/eventfd.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fstream>
#include <mutex>

namespace tavrek::engine {

std::string_view InstanceLimitRefusing(int error, std::string_view limit) {
  if (error != EMFILE) return {};
  const int spare = eventfd(0, EFD_CLOEXEC);
  if (spare < 0) return {};
  close(spare);
  return limit;
}

namespace {

constexpr int kDefaultInotifyInstances = 128;  // the kernel's default
std::atomic<int> inotifyInstancesTaken{0};

int UsersInotifyInstances() {
  std::ifstream file("/proc/sys/fs/inotify/max_user_instances");
  int limit = 0;
  return file >> limit && limit > 0 ? limit : kDefaultInotifyInstances;
}

}  // namespace

int InotifyInstanceShare() {
  static const int share = std::max(1, UsersInotifyInstances() / 2);
  return share;
}

bool TakeInotifyInstance() {
  int taken = inotifyInstancesTaken.load();
  do {
    if (taken >= InotifyInstanceShare()) return false;
  } while (!inotifyInstancesTaken.compare_exchange_weak(taken, taken + 1));
  return true;
}

void ReturnInotifyInstance() { inotifyInstancesTaken.fetch_sub(1); }

void RaiseDescriptorLimit() {
  static std::once_flag raised;
  std::call_once(raised, [] {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max) return;
    limit.rlim_cur = limit.rlim_max;
    // Refused, the process keeps the limit it had; folders beyond it are
    // told as failed when they are started, as before.
    [[maybe_unused]] const int result = setrlimit(RLIMIT_NOFILE, &limit);
  });
}

}  // namespace tavrek::engine
