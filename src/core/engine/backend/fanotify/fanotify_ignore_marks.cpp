#include "core/engine/backend/fanotify/fanotify_ignore_marks.h"

#include <cerrno>

#include "core/engine/backend/fanotify/fanotify_abi.h"

#ifndef FAN_MARK_EVICTABLE
#define FAN_MARK_EVICTABLE 0x00000200
#endif
#ifndef FAN_MARK_IGNORE
#define FAN_MARK_IGNORE 0x00000400
#endif

namespace tavrek::engine {
namespace {

// A file's changes in the directory, and those of the files in it; without
// FAN_ONDIR nothing about a subdirectory is ignored, and renames never are.
constexpr uint64_t kIgnoredChanges =
    FAN_CREATE | FAN_DELETE | FAN_MODIFY | FAN_ATTRIB | FAN_ACCESS | FAN_EVENT_ON_CHILD;
constexpr unsigned kIgnoreFlags = FAN_MARK_IGNORE | FAN_MARK_IGNORED_SURV_MODIFY |
                                  FAN_MARK_EVICTABLE | FAN_MARK_ONLYDIR;

}  // namespace

void FanotifyIgnoreMarks::Ignore(const std::vector<FanotifyFileKey>& directories) {
  for (const FanotifyFileKey& directory : directories) {
    if (unsupported_ || marked_.size() >= kMaxMarks) return;
    if (Mark(directory, FAN_MARK_ADD)) {
      marked_.push_back(directory);
    } else if (errno == EINVAL) {
      unsupported_ = true;  // a kernel before 6.0
    }
  }
}

void FanotifyIgnoreMarks::Clear() {
  // A directory gone meanwhile took its mark along.
  for (const FanotifyFileKey& directory : marked_) Mark(directory, FAN_MARK_REMOVE);
  marked_.clear();
}

bool FanotifyIgnoreMarks::Mark(const FanotifyFileKey& directory, unsigned addOrRemove) {
  const FanotifyScopedFd opened = opener_.OpenDirectory(directory);
  if (!opened.valid()) return false;
  // Marked through its path relative to itself: a descriptor opened with
  // O_PATH is not taken for the object to mark.
  return fanotify_mark(group_, addOrRemove | kIgnoreFlags, kIgnoredChanges, opened.get(), ".") ==
         0;
}

}  // namespace tavrek::engine
