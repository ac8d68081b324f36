#pragma once
// Lowers the inotify watch limit for this process alone: in a user namespace
// of its own, mapping this process's user and group, so the machine's
// setting is not touched. Only a single-threaded process may do it (a forked
// child of the test).
#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

#include <string>

namespace tavrek::testing {

inline bool WriteProcText(const char* path, const std::string& text) {
  const int fd = open(path, O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  return close(fd) == 0 && written;
}

inline bool EnterNamespaceWithWatchLimit(const char* limit) {
  const std::string user = "0 " + std::to_string(geteuid()) + " 1";
  const std::string group = "0 " + std::to_string(getegid()) + " 1";
  return unshare(CLONE_NEWUSER) == 0 && WriteProcText("/proc/self/setgroups", "deny") &&
         WriteProcText("/proc/self/uid_map", user) && WriteProcText("/proc/self/gid_map", group) &&
         WriteProcText("/proc/sys/user/max_inotify_watches", limit);
}

}  // namespace tavrek::testing
