#pragma once
// Folder arguments made absolute, so that every path the program prints or
// keys by is one a reader can use wherever it runs.
#include <optional>
#include <string>
#include <string_view>

namespace tavrek::platform {

// `path` made absolute against `currentFolder` (itself absolute) and
// normalised by its text alone: runs of "/" collapse, "." goes, ".." takes
// the name before it away (never above "/"), and no "/" ends it but "/"
// itself. Symbolic links are not followed.
std::string AbsolutePath(std::string_view path, std::string_view currentFolder);

// The process's current folder; nothing when it is gone or cannot be read.
std::optional<std::string> CurrentFolder();

}  // namespace tavrek::platform
