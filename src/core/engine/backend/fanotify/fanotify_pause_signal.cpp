#include "core/engine/backend/fanotify/fanotify_pause_signal.h"

#include <fcntl.h>
#include <sys/fanotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "core/engine/backend/fanotify/fanotify_abi.h"
#include "core/engine/backend/fanotify/fanotify_outside_filter.h"

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

// Passes over the records of directories placed outside the folder. An
// overflow is kept: what was lost may have been the folder's.
class PlacedElsewhere final : public FanotifyRecordFilter {
 public:
  PlacedElsewhere(const FanotifyDirectoryCache& cache, const std::string& top)
      : cache_(cache), top_(top) {}
  bool MayPassOver(uint64_t mask) override { return (mask & FAN_Q_OVERFLOW) == 0; }
  bool PassesOver(const FanotifyFileKey& directory) override {
    const std::string* path = cache_.Find(directory);
    return path != nullptr && !FanotifyPlacedInside(*path, top_);
  }

 private:
  const FanotifyDirectoryCache& cache_;
  const std::string& top_;
};

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

bool FanotifyPauseSignal::Take(std::span<std::byte> buffer, const FanotifyDirectoryCache& cache,
                               const std::string& top) {
  PlacedElsewhere elsewhere(cache, top);
  bool came = false;
  for (int reads = 0; reads < kMaxReads; ++reads) {
    const ssize_t length = read(group_.get(), buffer.data(), buffer.size());
    if (length > 0) {
      kept_.clear();
      // A record that cannot be taken apart counts as come.
      const uint32_t broken =
          ParseFanotifyRecords(buffer.first(static_cast<size_t>(length)), kept_, &elsewhere);
      came = came || broken > 0 || !kept_.empty();
    } else if (length < 0 && errno == EINTR) {
      continue;
    } else {
      return came;
    }
  }
  return true;
}

}  // namespace tavrek::engine
