#include "core/app/drive_buttons.h"

#include <algorithm>

#include "core/app/command_ids.h"

namespace tavrek::app {

std::vector<DriveButton> DriveButtons(const std::vector<platform::MountEntry>& mounts,
                                      const std::string& sysfsRoot) {
  std::vector<DriveButton> buttons;
  int command = command::kFirstDrive;
  for (const platform::MountEntry& mount : mounts) {
    if (command > command::kLastDriveCommand) break;
    const platform::DriveKind kind = platform::ClassifyMount(mount, sysfsRoot);
    if (kind == platform::DriveKind::Pseudo || platform::IsSystemMountPoint(mount.mountPoint)) continue;
    const bool known = std::any_of(buttons.begin(), buttons.end(), [&mount](const DriveButton& b) {
      return b.path == mount.mountPoint;
    });
    if (known) continue;
    buttons.push_back({command++, mount.mountPoint, kind});
  }
  return buttons;
}

}  // namespace tavrek::app
