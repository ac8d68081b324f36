#include "file_ops.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace tavrek::testing {
bool CreateEmpty(const std::string& path) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  return fd >= 0 && close(fd) == 0;
}

bool MakeDirectory(const std::string& path) { return mkdir(path.c_str(), 0755) == 0; }

bool AppendTo(const std::string& path, const std::string& text) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  return close(fd) == 0 && written;
}

bool OverwriteAt(const std::string& path, long offset, const std::string& text) {
  const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool written =
      pwrite(fd, text.data(), text.size(), offset) == static_cast<ssize_t>(text.size());
  return close(fd) == 0 && written;
}

bool ReadAll(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char buffer[256];
  while (read(fd, buffer, sizeof buffer) > 0) {
  }
  return close(fd) == 0;
}

bool RenamePath(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

bool SetTimes(const std::string& path, bool access, bool modification, long seconds) {
  timespec times[2];
  times[0] = access ? timespec{seconds, 0} : timespec{0, UTIME_OMIT};
  times[1] = modification ? timespec{seconds, 0} : timespec{0, UTIME_OMIT};
  return utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

}  // namespace tavrek::testing
