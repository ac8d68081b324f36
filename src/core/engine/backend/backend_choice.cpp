#include "core/engine/backend/backend.h"

namespace tavrek::engine {

BackendType ResolveBackend(BackendType requested, const std::string& folder) {
  switch (requested) {
    case BackendType::Inotify: return BackendType::Inotify;
    case BackendType::Automatic:
    case BackendType::Fanotify: break;
  }
  // fanotify sees the whole file system without a watch per directory, but
  // only with the rights to mark it; otherwise inotify serves every folder.
  return FanotifyUsable(folder) ? BackendType::Fanotify : BackendType::Inotify;
}

}  // namespace tavrek::engine
