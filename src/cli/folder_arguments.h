#pragma once
// The folders of tavrek-watch's command line as the session watches them.
#include <optional>
#include <string>
#include <vector>

#include "core/engine/backend_type.h"

namespace tavrek::cli {

// Each argument is one folder, commas and all, made absolute against the
// current folder. Nothing, with `error` set, for an empty argument or a
// relative one when the current folder is gone.
std::optional<std::vector<std::string>> WatchedFolders(const std::vector<std::string>& arguments,
                                                       std::string& error);

// A backend named on the command line must serve every folder that can be
// opened: false, with `error` set, when it cannot (fanotify without the
// right to mark the file system).
bool ForcedBackendUsable(engine::BackendType backend, const std::vector<std::string>& folders,
                         std::string& error);

}  // namespace tavrek::cli
