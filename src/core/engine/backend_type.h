#pragma once
#include <optional>
#include <string_view>

namespace tavrek::engine {

// Capture: fanotify through the capture helper, for a process without the
// rights to fanotify itself.
enum class BackendType { Automatic, Inotify, Fanotify, Capture };

std::string_view BackendName(BackendType type);
std::optional<BackendType> ParseBackendName(std::string_view name);

}  // namespace tavrek::engine
