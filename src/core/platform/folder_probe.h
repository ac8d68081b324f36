#pragma once
#include <string>

namespace tavrek::platform {

// Whether the folder can be opened for watching (open as a directory, read only).
bool ProbeFolder(const std::string& path);

}  // namespace tavrek::platform
