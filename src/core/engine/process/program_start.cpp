#include "core/engine/process/program_start.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <string>

namespace tavrek::engine {
namespace {

// What the kernel reads of a program file to tell its format.
constexpr size_t kHeadBytes = 256;
constexpr std::string_view kElfMagic = "\x7f" "ELF";
constexpr std::string_view kScriptMagic = "#!";
constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kNameEnds = std::string_view(" \t\n\0", 4);

std::string Resolved(const std::string& path) {
  std::unique_ptr<char, decltype(&std::free)> real(realpath(path.c_str(), nullptr), &std::free);
  return real ? std::string(real.get()) : std::string();
}

std::string_view BaseName(std::string_view path) { return path.substr(path.rfind('/') + 1); }

}  // namespace

ProgramStart ParseProgramStart(std::string_view head) {
  ProgramStart start;
  if (head.starts_with(kElfMagic)) {
    start.known = true;
    return start;
  }
  if (!head.starts_with(kScriptMagic)) return start;
  head.remove_prefix(kScriptMagic.size());
  const size_t begin = head.find_first_not_of(kBlanks);
  if (begin == std::string_view::npos) return start;
  head.remove_prefix(begin);
  const size_t end = head.find_first_of(kNameEnds);
  // A name cut off by the end of what the kernel reads is no interpreter.
  if (end == std::string_view::npos || end == 0) return start;
  start.known = true;
  start.interpreter = std::string(head.substr(0, end));
  return start;
}

ProgramStart ReadProgramStart(const std::string& path) {
  // Only a regular file is opened for reading: the name may lead to a pipe or
  // a device by now, whose opening could wait or do something.
  const int found = open(path.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
  if (found < 0) return {};
  struct stat status {};
  const bool regular = fstat(found, &status) == 0 && S_ISREG(status.st_mode);
  const std::string again = "/proc/self/fd/" + std::to_string(found);
  const int fd = regular ? open(again.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC) : -1;
  close(found);
  if (fd < 0) return {};
  std::array<char, kHeadBytes> head{};
  const ssize_t length = pread(fd, head.data(), head.size(), 0);
  close(fd);
  if (length <= 0) return {};
  ProgramStart start = ParseProgramStart({head.data(), static_cast<size_t>(length)});
  if (start.interpreter.starts_with('/')) start.resolved = Resolved(start.interpreter);
  return start;
}

bool IsInterpreterOf(const ProgramStart& script, const std::string& fileName,
                     const std::string& exe) {
  if (!script.known) return true;
  if (script.interpreter.empty()) return false;
  if (!exe.empty() && script.interpreter.starts_with('/')) {
    return exe == script.interpreter || exe == script.resolved;
  }
  const std::string& named = script.resolved.empty() ? script.interpreter : script.resolved;
  return BaseName(named) == fileName;
}

}  // namespace tavrek::engine
