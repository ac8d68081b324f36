#include "core/engine/backend/poll/polled_file_systems.h"

#include <stdlib.h>

#include <algorithm>
#include <array>
#include <memory>

namespace tavrek::engine {
namespace {

constexpr std::array<std::string_view, 25> kPolledTypes{
    "9p",     "afs",      "beegfs", "ceph",   "cifs",   "coda",     "davfs",
    "fuse",   "gfs2",     "glusterfs", "gpfs", "lustre", "ncp",     "ncpfs",
    "nfs",    "nfs4",     "ocfs2",  "orangefs", "prl_fs", "smb3",   "smbfs",
    "sshfs",  "vboxsf",   "virtiofs", "vmhgfs"};

constexpr std::string_view kFusePrefix = "fuse.";

bool Contains(std::string_view mountPoint, std::string_view folder) {
  if (mountPoint == "/") return true;
  return folder.starts_with(mountPoint) &&
         (folder.size() == mountPoint.size() || folder[mountPoint.size()] == '/');
}

}  // namespace

bool FileSystemNeedsPolling(std::string_view fsType) {
  if (fsType.starts_with(kFusePrefix)) return true;
  return std::find(kPolledTypes.begin(), kPolledTypes.end(), fsType) != kPolledTypes.end();
}

const platform::MountEntry* MountHolding(const std::vector<platform::MountEntry>& mounts,
                                         std::string_view folder) {
  const platform::MountEntry* holding = nullptr;
  for (const platform::MountEntry& mount : mounts) {
    if (!Contains(mount.mountPoint, folder)) continue;
    if (holding == nullptr || mount.mountPoint.size() >= holding->mountPoint.size()) {
      holding = &mount;
    }
  }
  return holding;
}

bool FolderNeedsPolling(const std::string& folder) {
  std::unique_ptr<char, decltype(&free)> resolved(realpath(folder.c_str(), nullptr), &free);
  std::string path = resolved ? std::string(resolved.get()) + "/" : folder;
  const std::vector<platform::MountEntry> mounts = platform::ReadMounts();
  const platform::MountEntry* mount = MountHolding(mounts, path);
  return mount != nullptr && FileSystemNeedsPolling(mount->fsType);
}

}  // namespace tavrek::engine
