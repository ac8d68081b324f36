#pragma once
// Wakes a reader that pauses in a flood of other programs' records as soon as
// a record comes that may be the folder's own.
//
// The watch's group asks for the changed object itself with every record, and
// so gets the kernel's note that a file lost a link for every deletion on the
// file system: it names no directory, so no mark on a folder drops it, and a
// program deleting thousands of files a second elsewhere keeps the reader
// awake. A group that asks only for the directory of each change never gets
// those notes (the kernel has nothing to tell it), and it carries the same
// quieting of busy folders as the watch's group: its descriptor becomes
// readable only for records the quieting lets through, the folder's own among
// them, and records of directories the watch already places elsewhere are
// passed over. It only wakes; what it read is thrown away, and its queue is
// the kernel's bounded one, whose overflow says no more than "something came".
#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "core/engine/backend/fanotify/fanotify_handle_cache.h"
#include "core/engine/backend/fanotify/fanotify_kernel.h"
#include "core/engine/backend/fanotify/fanotify_records.h"

namespace tavrek::engine {

class FanotifyPauseSignal {
 public:
  // Sets the group up on the file system of `folder`; false when the kernel
  // refuses (the reader then pauses as briefly as it must without it).
  bool Open(const std::string& folder);
  int fd() const { return group_.get(); }
  // Reads what came since the last call into `buffer`; true when anything had
  // that `cache` does not place outside the folder at `top` (its real path
  // ending in "/").
  bool Take(std::span<std::byte> buffer, const FanotifyDirectoryCache& cache,
            const std::string& top);

 private:
  FanotifyScopedFd group_;
  std::vector<FanotifyRecord> kept_;  // reused from one read to the next
};

}  // namespace tavrek::engine
