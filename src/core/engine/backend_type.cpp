#include "core/engine/backend_type.h"

namespace tavrek::engine {

std::string_view BackendName(BackendType type) {
  switch (type) {
    case BackendType::Inotify: return "inotify";
    case BackendType::Fanotify: return "fanotify";
    case BackendType::Capture: return "capture";
    case BackendType::Poll: return "poll";
    case BackendType::Automatic: break;
  }
  return "automatic";
}

std::optional<BackendType> ParseBackendName(std::string_view name) {
  if (name == "inotify") return BackendType::Inotify;
  if (name == "fanotify") return BackendType::Fanotify;
  if (name == "poll") return BackendType::Poll;
  if (name == "automatic" || name == "auto") return BackendType::Automatic;
  return std::nullopt;
}

}  // namespace tavrek::engine
