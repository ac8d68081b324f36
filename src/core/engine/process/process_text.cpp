#include "core/engine/process/process_text.h"

#include <pthread.h>
#include <unistd.h>

#include <array>

#include "core/engine/bounded_text.h"

namespace tavrek::engine {

std::string_view FormatProcessText(std::string_view name, int32_t pid, bool own,
                                   std::span<char> buffer) {
  if (pid <= 0 || buffer.empty()) return {};
  BoundedText text(buffer);
  text.Append(name).Append(name.empty() ? "" : " ").Append("(").AppendDecimal(
      static_cast<uint64_t>(pid));
  if (own) text.Append(", ").Append(kOwnProcessMark);
  return text.Append(")").view();
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
