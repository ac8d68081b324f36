#include "core/platform/mounts.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>

#include "core/platform/file_io.h"

namespace tavrek::platform {
namespace {

using namespace std::string_view_literals;

// Shares of other machines, and FUSE helpers that reach storage over a network.
constexpr std::array kRemoteTypes = {
    "nfs"sv, "nfs4"sv, "cifs"sv, "smb3"sv, "smbfs"sv, "9p"sv, "virtiofs"sv, "vboxsf"sv,
    "ceph"sv, "glusterfs"sv, "afs"sv, "ncpfs"sv, "coda"sv, "lustre"sv, "davfs"sv,
    "fuse.sshfs"sv, "fuse.rclone"sv, "fuse.s3fs"sv, "fuse.curlftpfs"sv, "fuse.gcsfuse"sv,
    "fuse.goofys"sv, "fuse.glusterfs"sv, "fuse.ceph-fuse"sv, "fuse.smbnetfs"sv,
    "fuse.gvfsd-fuse"sv, "fuse.juicefs"sv, "fuse.blobfuse"sv, "fuse.blobfuse2"sv,
    "fuse.mountpoint-s3"sv, "fuse.vmhgfs-fuse"sv, "fuse.davfs2"sv, "fuse.ftpfs"sv,
};

// Kernel interfaces, control file systems and read-only package images.
constexpr std::array kPseudoTypes = {
    "proc"sv, "sysfs"sv, "cgroup"sv, "cgroup2"sv, "devpts"sv, "devtmpfs"sv, "mqueue"sv,
    "debugfs"sv, "tracefs"sv, "securityfs"sv, "pstore"sv, "bpf"sv, "configfs"sv,
    "fusectl"sv, "hugetlbfs"sv, "autofs"sv, "binfmt_misc"sv, "nsfs"sv, "efivarfs"sv,
    "rpc_pipefs"sv, "nfsd"sv, "selinuxfs"sv, "squashfs"sv, "devfs"sv, "usbfs"sv,
    "fuse.portal"sv, "fuse.lxcfs"sv, "fuse.snapfuse"sv,
};

// rootfs is the kernel's initial RAM file system, where a system keeps running on it.
constexpr std::array kRamTypes = {"tmpfs"sv, "ramfs"sv, "rootfs"sv};

constexpr std::array kOpticalTypes = {"iso9660"sv, "udf"sv};
constexpr unsigned kCdromMajor = 11;  // SCSI CD-ROM drives, named sr*

constexpr std::array kSystemFolders = {"/dev"sv, "/run"sv, "/sys"sv, "/proc"sv};
constexpr std::string_view kUserMediaFolder = "/run/media";

template <size_t N>
bool Contains(const std::array<std::string_view, N>& table, std::string_view type) {
  return std::find(table.begin(), table.end(), type) != table.end();
}

std::string_view BaseName(std::string_view path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool IsOnCdDrive(const MountEntry& mount) {
  return mount.major == kCdromMajor || BaseName(mount.source).starts_with("sr");
}

bool ReadsOne(const std::string& file) {
  const FileContent content = ReadWholeFile(file);
  return content.status == ReadStatus::Ok && !content.bytes.empty() && content.bytes[0] == '1';
}

bool Exists(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0;
}

// The device's sysfs folder: by device number, or (for file systems such as
// btrfs that report an anonymous number) by the name of the source device.
std::string BlockDeviceFolder(const MountEntry& mount, const std::string& sysfsRoot) {
  const std::string byNumber = sysfsRoot + "/dev/block/" + std::to_string(mount.major) + ":" +
                               std::to_string(mount.minor);
  if (mount.major != 0 && Exists(byNumber)) return byNumber;
  if (!mount.source.starts_with("/dev/")) return {};
  const std::string byName = sysfsRoot + "/class/block/" + std::string(BaseName(mount.source));
  return Exists(byName) ? byName : std::string();
}

// A partition has no flag of its own; the disk holding it, its parent folder, has.
bool IsRemovableDevice(const std::string& deviceFolder) {
  if (deviceFolder.empty()) return false;
  if (Exists(deviceFolder + "/removable")) return ReadsOne(deviceFolder + "/removable");
  return ReadsOne(deviceFolder + "/../removable");
}

}  // namespace

DriveKind ClassifyMount(const MountEntry& mount, const std::string& sysfsRoot) {
  if (Contains(kRemoteTypes, mount.fsType)) return DriveKind::Remote;
  if (Contains(kPseudoTypes, mount.fsType)) return DriveKind::Pseudo;
  if (Contains(kRamTypes, mount.fsType)) return DriveKind::RamDisk;
  if (Contains(kOpticalTypes, mount.fsType) && IsOnCdDrive(mount)) return DriveKind::Optical;
  if (IsRemovableDevice(BlockDeviceFolder(mount, sysfsRoot))) return DriveKind::Removable;
  return DriveKind::Fixed;
}

bool IsSystemMountPoint(std::string_view mountPoint) {
  auto isAtOrBelow = [mountPoint](std::string_view folder) {
    return mountPoint == folder ||
           (mountPoint.starts_with(folder) && mountPoint[folder.size()] == '/');
  };
  if (isAtOrBelow(kUserMediaFolder)) return false;
  return std::any_of(kSystemFolders.begin(), kSystemFolders.end(), isAtOrBelow);
}

}  // namespace tavrek::platform
