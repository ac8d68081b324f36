#pragma once
// The drive bar's buttons: one per mounted file system that is not a kernel
// interface, labelled by its mount point. Mounts below /dev, /run, /sys and
// /proc are the system's own (shared memory, runtime folders), not drives.
#include <string>
#include <vector>

#include "core/platform/mounts.h"

namespace tavrek::app {

struct DriveButton {
  int command = 0;
  std::string path;  // the mount point, opened when the button is pressed
  platform::DriveKind kind = platform::DriveKind::Fixed;
  bool operator==(const DriveButton&) const = default;
};

// In mount order, commands from 4001 upward, each mount point once; as many
// as the drive commands have room for.
std::vector<DriveButton> DriveButtons(const std::vector<platform::MountEntry>& mounts,
                                      const std::string& sysfsRoot = "/sys");

}  // namespace tavrek::app
