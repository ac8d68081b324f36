#include "core/engine/backend/poll/polled_file_systems.h"

#include <gtest/gtest.h>

namespace tavrek::engine {
namespace {

TEST(PolledFileSystemsTest, NetworkAndFuseTypesArePolledAndTheDeepestMountHoldsTheFolder) {
  for (const char* type : {"nfs", "nfs4", "cifs", "smb3", "9p", "ceph", "fuse", "fuse.sshfs",
                           "fuse.bindfs", "fuse.rclone", "virtiofs", "vboxsf"}) {
    EXPECT_TRUE(FileSystemNeedsPolling(type)) << type;
  }
  for (const char* type : {"ext4", "btrfs", "xfs", "tmpfs", "overlay", "fuseblk", "vfat",
                           "fusectl", "nfsd", ""}) {
    EXPECT_FALSE(FileSystemNeedsPolling(type)) << type;
  }
  // The deepest mount holds the folder.
  const std::vector<platform::MountEntry> mounts = {
      {"/", "ext4", "/dev/sda1"},  {"/mnt/share", "nfs4", "server:/x"},
      {"/mnt/shared", "ext4", "/dev/sdb1"}, {"/mnt/share", "fuse.sshfs", "host:"}};
  const struct {
    const char* folder;
    const char* fsType;
  } cases[] = {{"/home/a/", "ext4"},
               {"/mnt/share/", "fuse.sshfs"},  // mounted over the first
               {"/mnt/share/d/", "fuse.sshfs"},
               {"/mnt/shared/", "ext4"},
               {"/mnt/sharedd/", "ext4"}};
  for (const auto& test : cases) {
    const platform::MountEntry* mount = MountHolding(mounts, test.folder);
    ASSERT_NE(mount, nullptr) << test.folder;
    EXPECT_EQ(mount->fsType, test.fsType) << test.folder;
  }
  EXPECT_EQ(MountHolding({}, "/x/"), nullptr);
}

}  // namespace
}  // namespace tavrek::engine
