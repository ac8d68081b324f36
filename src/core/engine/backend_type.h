#pragma once
#include <optional>
#include <string_view>

namespace tavrek::engine {

// Capture: fanotify through the capture helper, for a process without the
// rights to fanotify itself. Poll: folders read again at an interval, for
// file systems whose changes pass through no kernel queue of this machine.
enum class BackendType { Automatic, Inotify, Fanotify, Capture, Poll };

std::string_view BackendName(BackendType type);
std::optional<BackendType> ParseBackendName(std::string_view name);

}  // namespace tavrek::engine
