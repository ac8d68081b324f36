#pragma once
// Kernel limits lowered for one test only: in a user namespace of the test's
// own, never on the machine, since a user's inotify watches and instances are
// counted over all of that user's processes and ctest -j runs other watches
// beside this one. An ordinary process cannot map every id into a namespace,
// so these tests need root.
#include <fcntl.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>

namespace tavrek::testing {

enum ChildResult { kPassed = 0, kFailed = 1, kNoNamespace = 2 };

// Writes a text to a file below /proc, as setting a namespace's ids or its
// limits asks.
inline bool WriteProcText(const char* path, const std::string& text) {
  const int fd = open(path, O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  return close(fd) == 0 && written;
}

inline bool MapEveryId(pid_t child) {
  constexpr const char* kEveryId = "0 0 4294967295";
  const std::string proc = "/proc/" + std::to_string(child);
  return WriteProcText((proc + "/uid_map").c_str(), kEveryId) &&
         WriteProcText((proc + "/gid_map").c_str(), kEveryId);
}

// Runs `body` in a forked child that has entered a user namespace of its own
// with every id mapped; the body's ChildResult, kNoNamespace where no
// namespace could be made, kFailed when the child did not end by itself.
inline int RunInUserNamespace(const std::function<int()>& body) {
  int entered[2], mapped[2];
  if (pipe2(entered, O_CLOEXEC) != 0) return kFailed;
  if (pipe2(mapped, O_CLOEXEC) != 0) return kFailed;
  const pid_t child = fork();
  if (child < 0) return kFailed;
  char byte = 0;
  if (child == 0) {
    // A forked child has one thread, as unshare needs.
    byte = unshare(CLONE_NEWUSER) == 0 ? 1 : 0;
    const bool ready = write(entered[1], &byte, 1) == 1 && read(mapped[0], &byte, 1) == 1;
    std::_Exit(ready && byte == 1 ? body() : kNoNamespace);
  }
  const bool entering = read(entered[0], &byte, 1) == 1 && byte == 1;
  byte = entering && MapEveryId(child) ? 1 : 0;
  const bool told = write(mapped[1], &byte, 1) == 1;
  int status = 0;
  waitpid(child, &status, 0);
  for (int fd : {entered[0], entered[1], mapped[0], mapped[1]}) close(fd);
  return told && WIFEXITED(status) ? WEXITSTATUS(status) : kFailed;
}

}  // namespace tavrek::testing
