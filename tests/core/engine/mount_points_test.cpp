#include "core/engine/backend/mount_points.h"

#include <gtest/gtest.h>

namespace tavrek::engine {
namespace {

constexpr std::string_view kMountInfo =
    "26 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
    "27 26 0:24 / /home rw - ext4 /dev/vdb rw\n"
    "28 27 0:25 / /home/anna/USB\\040Stick rw - vfat /dev/sdb1 rw\n"
    "29 26 0:26 / /homer rw - tmpfs tmpfs rw\n"
    "30 27 0:27 / /home/anna/back\\134slash rw - tmpfs tmpfs rw\n"
    "garbage\n"
    "31 26 0:28 / relative rw - tmpfs tmpfs rw";

TEST(MountPointsTest, ListsMountsStrictlyBelowTheFolder) {
  struct Case {
    std::string_view folder;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"/home/", {"/home/anna/USB Stick/", "/home/anna/back\\slash/"}},
      {"/home/anna/USB Stick/", {}},
      {"/", {"/home/", "/home/anna/USB Stick/", "/homer/", "/home/anna/back\\slash/"}},
      {"/var/", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MountPointsInside(c.folder, kMountInfo), c.expected) << c.folder;
  }
}

TEST(MountPointsTest, ReadsThisProcessTable) {
  // /proc is a mount of its own below the root on every Linux system.
  std::vector<std::string> inside = MountPointsInside("/");
  EXPECT_NE(std::find(inside.begin(), inside.end(), "/proc/"), inside.end());
}

}  // namespace
}  // namespace tavrek::engine
