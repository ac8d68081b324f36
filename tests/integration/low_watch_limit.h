#pragma once
// Writes a text to a file below /proc, as setting a namespace's ids or its
// inotify watch limit asks.
#include <fcntl.h>
#include <unistd.h>

#include <string>

namespace tavrek::testing {

inline bool WriteProcText(const char* path, const std::string& text) {
  const int fd = open(path, O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  return close(fd) == 0 && written;
}

}  // namespace tavrek::testing
