#include "core/engine/backend/fanotify/fanotify_pause_signal.h"

#include <fcntl.h>
#include <sys/fanotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "core/engine/backend/fanotify/fanotify_abi.h"

namespace tavrek::engine {
namespace {

// Directories only: the kernel drops a record with none to tell. Its quieting
// marks are not counted against the user's limit, as the watch's own are not.
constexpr unsigned kSignalInitFlags =
    FAN_CLASS_NOTIF | FAN_REPORT_DIR_FID | FAN_UNLIMITED_MARKS | FAN_CLOEXEC | FAN_NONBLOCK;
constexpr uint64_t kSignalEvents = FAN_CREATE | FAN_DELETE | FAN_MOVED_FROM | FAN_MOVED_TO |
                                   FAN_MODIFY | FAN_ATTRIB | FAN_ONDIR;
// Reads of one Take at most: a queue that refills as fast as it is read has
// had something come.
constexpr int kMaxReads = 4;

}  // namespace

bool FanotifyPauseSignal::Open(const std::string& folder) {
  group_.Reset(fanotify_init(kSignalInitFlags, kFanotifyEventFlags));
  if (!group_.valid()) return false;
  if (fanotify_mark(group_.get(), FAN_MARK_ADD | FAN_MARK_FILESYSTEM, kSignalEvents, AT_FDCWD,
                    folder.c_str()) != 0) {
    group_.Reset();
    return false;
  }
  return true;
}

bool FanotifyPauseSignal::Take(std::span<std::byte> buffer) {
  bool came = false;
  for (int reads = 0; reads < kMaxReads; ++reads) {
    const ssize_t length = read(group_.get(), buffer.data(), buffer.size());
    if (length > 0) {
      came = true;
    } else if (length < 0 && errno == EINTR) {
      continue;
    } else {
      return came;
    }
  }
  return true;
}

}  // namespace tavrek::engine
