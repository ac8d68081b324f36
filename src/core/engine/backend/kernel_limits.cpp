#include "core/engine/backend/kernel_limits.h"

#include <sys/eventfd.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

namespace tavrek::engine {

std::string_view InstanceLimitRefusing(int error, std::string_view limit) {
  if (error != EMFILE) return {};
  const int spare = eventfd(0, EFD_CLOEXEC);
  if (spare < 0) return {};
  close(spare);
  return limit;
}

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
