#pragma once
#include <optional>
#include <string_view>

namespace tavrek::engine {

enum class BackendType { Automatic, Inotify, Fanotify, Poll };

std::string_view BackendName(BackendType type);
std::optional<BackendType> ParseBackendName(std::string_view name);

}  // namespace tavrek::engine
