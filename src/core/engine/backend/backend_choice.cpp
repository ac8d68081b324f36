#include "core/engine/backend/backend.h"

namespace tavrek::engine {

BackendType ResolveBackend(BackendType requested, const std::string& folder) {
  switch (requested) {
    case BackendType::Inotify: return BackendType::Inotify;
    // Asked for by name, fanotify is used or fails visibly (the folder ends
    // at once): quietly watching with another backend would report changes
    // the user did not ask for in a way the user did not choose.
    case BackendType::Fanotify: return BackendType::Fanotify;
    case BackendType::Poll: return BackendType::Poll;
    case BackendType::Automatic: break;
  }
  // fanotify sees the whole file system without a watch per directory, but
  // only with the rights to mark it; otherwise inotify serves every folder.
  return FanotifyUsable(folder) ? BackendType::Fanotify : BackendType::Inotify;
}

}  // namespace tavrek::engine
