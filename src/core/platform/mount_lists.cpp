#include "core/platform/mounts.h"

#include <algorithm>

namespace tavrek::platform {
namespace {

// Appends "/" and collapses every run of "/" to one; "/" stays "/".
std::string AsFolderPath(std::string_view path) {
  std::string out;
  for (char c : std::string(path) + "/") {
    if (c == '/' && !out.empty() && out.back() == '/') continue;
    out.push_back(c);
  }
  return out;
}

bool IsLocalDrive(DriveKind kind) {
  return kind == DriveKind::Fixed || kind == DriveKind::Removable || kind == DriveKind::RamDisk;
}

void AddOnce(std::vector<std::string>& list, std::string item) {
  if (std::find(list.begin(), list.end(), item) == list.end()) list.push_back(std::move(item));
}

}  // namespace

std::vector<std::string> LocalDriveFolders(const std::vector<MountEntry>& mounts,
                                           const std::string& sysfsRoot) {
  std::vector<std::string> drives;
  for (const MountEntry& mount : mounts) {
    if (IsSystemMountPoint(mount.mountPoint)) continue;
    if (!IsLocalDrive(ClassifyMount(mount, sysfsRoot))) continue;
    // Named as every folder row names a folder: no trailing "/" but for "/".
    std::string drive = AsFolderPath(mount.mountPoint);
    if (drive.size() > 1) drive.pop_back();
    AddOnce(drives, std::move(drive));
  }
  return drives;
}

std::vector<std::string> MountPointsBelow(const std::vector<MountEntry>& mounts,
                                          std::string_view folder) {
  const std::string parent = AsFolderPath(folder);
  std::vector<std::string> below;
  for (const MountEntry& mount : mounts) {
    std::string point = AsFolderPath(mount.mountPoint);
    if (point.size() > parent.size() && point.starts_with(parent)) AddOnce(below, std::move(point));
  }
  return below;
}

}  // namespace tavrek::platform
