#include "core/engine/process/process_text.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include <pthread.h>
#include <unistd.h>

namespace tavrek::engine {

std::string_view FormatProcessText(std::string_view name, int32_t pid, bool own,
                                   std::span<char> buffer) {
  if (pid <= 0 || buffer.empty()) return {};
  const int nameLength = static_cast<int>(name.size());
  const int length = std::snprintf(buffer.data(), buffer.size(), "%.*s%s(%d%s%.*s)", nameLength,
                                   name.data(), name.empty() ? "" : " ", pid, own ? ", " : "",
                                   own ? static_cast<int>(kOwnProcessMark.size()) : 0,
                                   kOwnProcessMark.data());
  if (length < 0) return {};
  return {buffer.data(), std::min(static_cast<size_t>(length), buffer.size() - 1)};
}

std::string FormatProcessText(std::string_view name, int32_t pid, bool own) {
  std::array<char, 96> buffer;
  return std::string(FormatProcessText(name, pid, own, buffer));
}

namespace {

// Asked for every row the console prints, so getpid() (a system call) is
// asked once; a forked child is not this program and asks again.
pid_t& OwnPid() {
  static pid_t pid = [] {
    pthread_atfork(nullptr, nullptr, [] { OwnPid() = getpid(); });
    return getpid();
  }();
  return pid;
}

}  // namespace

bool IsOwnProcess(int32_t pid) { return pid > 0 && pid == OwnPid(); }

}  // namespace tavrek::engine
