#pragma once
// Mounted file systems, the program's drives: read from /proc/self/mountinfo
// and classified by file-system type and the block device's sysfs entry.
#include <string>
#include <string_view>
#include <vector>

namespace tavrek::platform {

struct MountEntry {
  std::string mountPoint;
  std::string fsType;
  std::string source;
  unsigned major = 0, minor = 0;
};

// One entry per well-formed line of mountinfo text, in mount order, with the
// octal escapes (\040 for a blank and the like) undone; other lines are skipped.
std::vector<MountEntry> ParseMountInfo(std::string_view text);

// The mounts of the file; empty when it cannot be read.
std::vector<MountEntry> ReadMounts(const std::string& path = "/proc/self/mountinfo");

enum class DriveKind { Fixed, Removable, Remote, Optical, RamDisk, Pseudo };

// Network types (nfs, cifs, sshfs and the other FUSE network helpers, 9p, ...)
// are Remote; iso9660 and udf on a CD drive (sr*) Optical; tmpfs and ramfs
// RamDisk; kernel interfaces, control and image file systems (proc, cgroup,
// squashfs of snaps, ...) Pseudo. Everything else is a local drive: Removable
// when sysfs marks its block device, or the disk holding that partition, as
// removable, else Fixed (so too overlay and file systems without a block
// device of their own).
DriveKind ClassifyMount(const MountEntry& mount, const std::string& sysfsRoot = "/sys");

// /dev, /run, /sys, /proc and everything below them; except /run/media, where
// some distributions mount the user's removable drives.
bool IsSystemMountPoint(std::string_view mountPoint);

// The folders "all local drives" watches: mount points of Fixed, Removable
// and RamDisk mounts that are not system mount points, each named without a
// trailing "/" (but "/"), in mount order, each once: {"/", "/home",
// "/media/stick"}. A list, not a text: a mount point may hold ",".
std::vector<std::string> LocalDriveFolders(const std::vector<MountEntry>& mounts,
                                           const std::string& sysfsRoot = "/sys");

// The mount points strictly inside `folder`, in mount order, each once and
// written as folder paths ending in "/": the places where a recursive watch
// of the folder leaves its file system.
std::vector<std::string> MountPointsBelow(const std::vector<MountEntry>& mounts,
                                          std::string_view folder);

}  // namespace tavrek::platform
