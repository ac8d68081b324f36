#pragma once
// Which file systems the kernel's notifications cannot fully watch: on a
// network file system a change made on the server, and beneath a FUSE or
// other virtual file system a change made behind it, never passes through
// this machine's kernel. Folders on them are polled.
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/mounts.h"

namespace tavrek::engine {

// True for network types (nfs, cifs, 9p, ceph, ...), cluster and shared-folder
// types of virtual machines, and FUSE ("fuse", "fuse.sshfs", ...). A block
// device served by FUSE ("fuseblk", as NTFS is) changes only through this
// machine and is watched by the kernel.
bool FileSystemNeedsPolling(std::string_view fsType);

// The mount that holds `folder` (an absolute path ending in "/"): the one with
// the longest mount point that contains it, the last mounted among equals.
// Null when none does.
const platform::MountEntry* MountHolding(const std::vector<platform::MountEntry>& mounts,
                                         std::string_view folder);

// Whether the folder (resolved through symbolic links) lies on such a file
// system, by the mounts of this process.
bool FolderNeedsPolling(const std::string& folder);

}  // namespace tavrek::engine
