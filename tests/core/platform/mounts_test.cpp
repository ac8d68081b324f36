#include "core/platform/mounts.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace tavrek::platform {
namespace {

// A sysfs tree as the kernel lays it out: /dev/block/MAJ:MIN and
// /class/block/NAME link to the device folder; partitions sit in their disk's folder.
class FakeSysfs {
 public:
  FakeSysfs() {
    AddDisk("pci/block/sda", "0", "8:0", {{"sda1", "8:1"}, {"sda2", "8:2"}});
    AddDisk("usb/block/sdb", "1", "8:16", {{"sdb1", "8:17"}});
    AddDisk("usb/block/sdc", "1", "8:32", {});
    AddDisk("pci/block/sr0", "1", "11:0", {});
  }
  std::string root() const { return folder_.path().string(); }

 private:
  void AddDisk(const std::string& disk, const std::string& removable, const std::string& number,
               const std::vector<std::pair<std::string, std::string>>& partitions) {
    folder_.Write("devices/" + disk + "/removable", removable + "\n");
    Link(disk, disk.substr(disk.find_last_of('/') + 1), number);
    for (const auto& [name, partitionNumber] : partitions) {
      std::filesystem::create_directories(folder_ / ("devices/" + disk + "/" + name));
      Link(disk + "/" + name, name, partitionNumber);
    }
  }
  void Link(const std::string& device, const std::string& name, const std::string& number) {
    std::filesystem::create_directories(folder_ / "dev/block");
    std::filesystem::create_directories(folder_ / "class/block");
    std::filesystem::create_directory_symlink("../../devices/" + device,
                                              folder_ / ("dev/block/" + number));
    std::filesystem::create_directory_symlink("../../devices/" + device,
                                              folder_ / ("class/block/" + name));
  }

  testing::TempFolder folder_;
};

MountEntry Mount(std::string point, std::string type, std::string source = "none",
                 unsigned major = 0, unsigned minor = 0) {
  return MountEntry{std::move(point), std::move(type), std::move(source), major, minor};
}

TEST(ClassifyMountTest, SortsMountsByTypeAndBlockDeviceAndListsLocalDrives) {
  FakeSysfs sysfs;
  const std::pair<MountEntry, DriveKind> rows[] = {
      {Mount("/", "ext4", "/dev/sda1", 8, 1), DriveKind::Fixed},
      {Mount("/data", "xfs", "/dev/sda2", 8, 2), DriveKind::Fixed},
      {Mount("/media/stick", "vfat", "/dev/sdb1", 8, 17), DriveKind::Removable},
      {Mount("/media/whole", "exfat", "/dev/sdc", 8, 32), DriveKind::Removable},
      {Mount("/media/btrfs", "btrfs", "/dev/sdb1", 0, 45), DriveKind::Removable},
      {Mount("/media/cd", "iso9660", "/dev/sr0", 11, 0), DriveKind::Optical},
      {Mount("/mnt/image", "iso9660", "/dev/loop0", 7, 0), DriveKind::Fixed},
      {Mount("/tmp", "tmpfs", "tmpfs"), DriveKind::RamDisk},
      {Mount("/net", "nfs4", "server:/export"), DriveKind::Remote},
      {Mount("/smb", "cifs", "//server/share"), DriveKind::Remote},
      {Mount("/ssh", "fuse.sshfs", "u@host:"), DriveKind::Remote},
      {Mount("/cloud", "fuse.rclone", "remote:"), DriveKind::Remote},
      {Mount("/vm", "9p", "hostshare"), DriveKind::Remote},
      {Mount("/proc", "proc", "proc"), DriveKind::Pseudo},
      {Mount("/sys/fs/cgroup", "cgroup2", "cgroup2"), DriveKind::Pseudo},
      {Mount("/snap/core/1", "squashfs", "/dev/loop1", 7, 1), DriveKind::Pseudo},
      {Mount("/", "overlay", "overlay", 0, 30), DriveKind::Fixed},
      {Mount("/enc", "fuse.gocryptfs", "/home/u/.enc"), DriveKind::Fixed},
  };
  for (const auto& [mount, kind] : rows) {
    EXPECT_EQ(ClassifyMount(mount, sysfs.root()), kind) << mount.mountPoint;
  }
  // Local drives: local mount points once, in mount order.
  const std::vector<MountEntry> local = {
      Mount("/", "ext4", "/dev/sda1", 8, 1),
      Mount("/proc", "proc"),
      Mount("/dev/shm", "tmpfs"),
      Mount("/home", "ext4", "/dev/sda2", 8, 2),
      Mount("/net", "nfs", "srv:/x"),
      Mount("/media/cd", "udf", "/dev/sr0", 11, 0),
      Mount("/tmp", "tmpfs"),
      Mount("/run/media/u/STICK", "vfat", "/dev/sdb1", 8, 17),
      Mount("/home", "ext4", "/dev/sda2", 8, 2),
      Mount("/run/media/u/A,B", "vfat", "/dev/sdc1", 8, 33),
  };
  EXPECT_EQ(LocalDriveFolders(local, sysfs.root()),
            (std::vector<std::string>{"/", "/home", "/tmp", "/run/media/u/STICK", "/run/media/u/A,B"}));
  EXPECT_TRUE(LocalDriveFolders({}, sysfs.root()).empty());
  // Mounts strictly inside a folder, and the system mount points.
  const std::vector<MountEntry> nested = {
      Mount("/", "ext4"), Mount("/home", "ext4"), Mount("/home/u/nas", "cifs"),
      Mount("/homework", "ext4"), Mount("/home/u/nas", "cifs"), Mount("/tmp", "tmpfs"),
  };
  using List = std::vector<std::string>;
  EXPECT_EQ(MountPointsBelow(nested, "/home"), (List{"/home/u/nas/"}));
  EXPECT_EQ(MountPointsBelow(nested, "//home//"), (List{"/home/u/nas/"}));
  EXPECT_EQ(MountPointsBelow(nested, "/"), (List{"/home/", "/home/u/nas/", "/homework/", "/tmp/"}));
  EXPECT_EQ(MountPointsBelow(nested, "/home/u/nas"), List{});
  // System mount points are the kernel's and runtime folders only.
  const std::pair<std::string_view, bool> systemRows[] = {
      {"/dev", true}, {"/dev/shm", true}, {"/run", true}, {"/run/user/1000", true},
      {"/sys/fs/cgroup", true}, {"/proc", true}, {"/", false}, {"/devices", false},
      {"/home/run", false}, {"/run/media/u/STICK", false}, {"/running", false},
  };
  for (const auto& [point, system] : systemRows) EXPECT_EQ(IsSystemMountPoint(point), system) << point;
  // Mount info: fields parsed, escapes undone, optional fields skipped, this process's own read.
  const auto parsed = ParseMountInfo(
      "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw,errors=remount-ro\n"
      "40 22 8:17 / /media/u/My\\040Stick\\134x rw shared:5 master:2 - vfat /dev/sdb1 rw\n"
      "41 22 0:45 /sub /srv/data rw - btrfs /dev/sdb1 rw\n"
      "garbage line\n"
      "42 22 8:2 / /no/separator rw ext4 /dev/sda2 rw\n"
      "43 22 x:y / /bad/device rw - ext4 /dev/sda2 rw\n"
      "44 22 0:50 / /tab\\011name rw - tmpfs tmpfs rw");
  std::vector<std::string> lines;
  for (const MountEntry& m : parsed) {
    lines.push_back(m.mountPoint + "|" + m.fsType + "|" + m.source + "|" + std::to_string(m.major) +
                    ":" + std::to_string(m.minor));
  }
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "/|ext4|/dev/sda1|8:1", "/media/u/My Stick\\x|vfat|/dev/sdb1|8:17",
                       "/srv/data|btrfs|/dev/sdb1|0:45", "/tab\tname|tmpfs|tmpfs|0:50"}));
  const auto own = ReadMounts();  // this process's own parsed
  EXPECT_TRUE(std::any_of(own.begin(), own.end(), [](const MountEntry& m) { return m.mountPoint == "/"; }));
  EXPECT_TRUE(ReadMounts("/nonexistent/mountinfo").empty());
}

}  // namespace
}  // namespace tavrek::platform
