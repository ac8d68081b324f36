// Preloaded into a watcher (LD_PRELOAD): how long it works on a change, from
// the end of the read that brings the change's record from the kernel (an
// inotify or fanotify queue) to the end of the flush of standard output that prints its
// line, the write included. One figure in microseconds per change is
// appended to the file named by ROW_WORK_OUT; a burst read in one go counts
// once. Only C interfaces are used: the watcher may be a C program.
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

namespace {

constexpr int kKnownDescriptors = 1024;
enum : char { kUnknown = 0, kOther = 1, kKernelQueue = 2 };
char kinds[kKnownDescriptors];
double startedAt = 0;  // 0: no figure running
bool queueEmptied = false;  // a kernel queue was read empty since the figure began
int output = -1;

using ReadFunction = ssize_t (*)(int, void*, size_t);
using FlushFunction = int (*)(FILE*);

double NowMicroseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

bool IsKernelQueue(int fd) {
  if (fd < 0 || fd >= kKnownDescriptors) return false;
  if (kinds[fd] == kUnknown) {
    char link[64];
    char target[128];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = readlink(link, target, sizeof target - 1);
    target[length > 0 ? length : 0] = '\0';
    kinds[fd] = strstr(target, "notify") != nullptr ? kKernelQueue : kOther;
  }
  return kinds[fd] == kKernelQueue;
}

void Append(double microseconds) {
  if (output < 0) {
    const char* path = getenv("ROW_WORK_OUT");
    if (path == nullptr) return;
    output = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (output < 0) return;
  }
  char line[32];
  const int length = snprintf(line, sizeof line, "%.1f\n", microseconds);
  if (length > 0 && write(output, line, static_cast<size_t>(length)) < 0) return;
}

}  // namespace

extern "C" ssize_t read(int fd, void* buffer, size_t size) {
  static auto real = reinterpret_cast<ReadFunction>(dlsym(RTLD_NEXT, "read"));
  const ssize_t length = real(fd, buffer, size);
  if (!IsKernelQueue(fd)) return length;
  // A record that prints nothing (read, the queue read empty, no flush) is
  // no figure: the next record read starts afresh. Taken after the read: a
  // watcher may sleep in it.
  if (length <= 0) {
    queueEmptied = true;
  } else if (startedAt == 0 || queueEmptied) {
    startedAt = NowMicroseconds();
    queueEmptied = false;
  }
  return length;
}

extern "C" int fflush(FILE* stream) {
  static auto real = reinterpret_cast<FlushFunction>(dlsym(RTLD_NEXT, "fflush"));
  const int result = real(stream);
  if ((stream == stdout || stream == nullptr) && startedAt != 0) {
    Append(NowMicroseconds() - startedAt);
    startedAt = 0;
    queueEmptied = false;
  }
  return result;
}
