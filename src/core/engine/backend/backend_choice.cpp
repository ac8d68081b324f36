#include "core/engine/backend/backend.h"
#include "core/engine/backend/capture/capture_backend.h"
#include "core/engine/backend/poll/polled_file_systems.h"
#include "core/engine/backend/small_tree.h"

namespace tavrek::engine {

BackendType ResolveBackend(BackendType requested, const std::string& folder) {
  switch (requested) {
    case BackendType::Inotify: return BackendType::Inotify;
    // Asked for by name, fanotify is used or fails visibly (the folder ends
    // at once): quietly watching with another backend would report changes
    // the user did not ask for in a way the user did not choose.
    // Without the rights to it, the capture helper does it when it may be run.
    case BackendType::Fanotify:
      return FanotifyUsable(folder) || !CaptureHelperServes(folder) ? BackendType::Fanotify
                                                                    : BackendType::Capture;
    case BackendType::Capture: return BackendType::Capture;
    case BackendType::Poll: return BackendType::Poll;
    case BackendType::Automatic: break;
  }
  const BackendType reachable = ReachableBackend(folder);
  // Either fanotify route pays for every change on the whole file system; a
  // small tree is cheaper watched directory by directory.
  const bool wholeFileSystem =
      reachable == BackendType::Fanotify || reachable == BackendType::Capture;
  return wholeFileSystem && TreeHasAtMostDirectories(folder) ? BackendType::Inotify : reachable;
}

BackendType ReachableBackend(const std::string& folder) {
  // Changes made on a file server or behind a FUSE file system pass through no
  // kernel queue of this machine: only looking finds them.
  if (FolderNeedsPolling(folder)) return BackendType::Poll;
  // fanotify sees the whole file system without a watch per directory, but
  // only with the rights to mark it (or through the capture helper);
  // otherwise inotify serves every folder.
  if (FanotifyUsable(folder)) return BackendType::Fanotify;
  return CaptureHelperServes(folder) ? BackendType::Capture : BackendType::Inotify;
}

}  // namespace tavrek::engine
