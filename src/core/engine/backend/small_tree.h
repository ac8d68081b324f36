#pragma once
// Whether a folder's tree is small enough that watching it directory by
// directory costs less than a mark on its whole file system. A file-system
// mark costs nothing per directory, but every change anywhere on the file
// system wakes the watch and is read and dropped; a watch per directory costs
// a watch and a read of each directory once, and then only what happens in the
// tree. For a few hundred directories the first is the dearer one on any
// disk that is busy elsewhere.
#include <cstddef>
#include <string>

namespace tavrek::engine {

// Up to this many directories (the folder included) a tree counts as small:
// set up in a few milliseconds, a sliver of the per-user watch limit.
inline constexpr size_t kSmallTreeDirectories = 500;

// True when the tree below `folder` holds at most `limit` directories. Stops
// counting at the first one beyond; symbolic links are not followed, and a
// directory that cannot be read counts as one without entries.
bool TreeHasAtMostDirectories(const std::string& folder, size_t limit = kSmallTreeDirectories);

}  // namespace tavrek::engine
