#pragma once
// Mount points below a folder, so that a recursive watch stays on the folder's
// own file system.
#include <string>
#include <string_view>
#include <vector>

namespace tavrek::engine {

// The mount points strictly below `folder` (normalised, ending in "/"), each
// ending in "/", from the text of a mountinfo table. Octal escapes of the
// table ("\040" for a blank) are undone; malformed lines are skipped.
std::vector<std::string> MountPointsInside(std::string_view folder, std::string_view mountInfo);

// The same from this process's /proc/self/mountinfo; empty when unreadable.
std::vector<std::string> MountPointsInside(std::string_view folder);

}  // namespace tavrek::engine
