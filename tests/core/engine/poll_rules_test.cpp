// When a folder is polled and how often, and how a source paces its reads.
#include "core/engine/backend/poll/poll_interval.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/engine/backend/kernel_limits.h"
#include "core/engine/backend/poll/polled_file_systems.h"
#include "core/engine/backend/small_tree.h"
#include "core/engine/source/read_pacer.h"
#include "core/engine/source/status_notes.h"
#include "support/temp_folder.h"

namespace tavrek::engine {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;
using testing::TempFolder;

TEST(PacingTest, CostlyPollsStretchTheIntervalAndReadsPauseOnlyInARunOfWakeUps) {
  const struct {
    milliseconds requested, cost, inForce;
  } cases[] = {{milliseconds(2000), milliseconds(10), milliseconds(2000)},
               {milliseconds(2000), milliseconds(101), milliseconds(3000)},
               {milliseconds(500), milliseconds(1), milliseconds(500)},
               {milliseconds(500), milliseconds(200), milliseconds(4000)}};
  for (const auto& test : cases) {
    EXPECT_EQ(PollIntervalInForce(test.requested, test.cost), test.inForce) << test.cost.count();
  }
  EXPECT_EQ(PollSecondsText(milliseconds(4000)), "4");
  EXPECT_EQ(PollSecondsText(milliseconds(500)), "0,5");
  // Seconds from the command line.
  EXPECT_EQ(ParsePollSeconds("2"), milliseconds(2000));
  EXPECT_EQ(ParsePollSeconds("0.25"), milliseconds(250));
  for (const char* bad : {"", "0", "-1", "x", "2s", "1e9", "nan"}) {
    EXPECT_FALSE(ParsePollSeconds(bad)) << bad;
  }
  EXPECT_EQ(GroupedNumber(40751), "40.751");
  EXPECT_EQ(GroupedNumber(999), "999");
  EXPECT_EQ(GroupedNumber(1234567), "1.234.567");
  // Wake-ups in order: a lone change is read at once; a run of close wake-ups
  // is paced once it brought enough; a gap before that starts the count again,
  // a brief gap after it (the writer not scheduled) does not, a quiet wait ends it.
  // A run whose reads have held only other folders' records for a while is
  // paced briefly; one the folder's own changes were in lately, as ever.
  const ReadPacer::Duration fill = ReadPacer::kFillPause, brief = ReadPacer::kElsewherePause;
  const ReadPacer::Duration none{};
  const struct {
    microseconds waited;
    size_t bytesBefore;
    bool elsewhere;
    ReadPacer::Duration pause;
  } steps[] = {{microseconds(100'000), 64, false, none}, {microseconds(50), 3000, false, none},
               {microseconds(2000), 3000, false, none},  {microseconds(50), 2000, false, none},
               {microseconds(50), 2096, false, fill},    {microseconds(900), 40'000, false, fill},
               {microseconds(8000), 40'000, false, fill}, {microseconds(60'000), 40'000, false, none},
               {microseconds(50), 64, false, none},      {microseconds(60'000), 4096, true, none},
               {microseconds(50), 4096, true, brief},    {microseconds(50), 3000, false, fill},
               {microseconds(2000), 64, true, fill},     {microseconds(60'000), 1000, true, none}};
  ReadPacer pacer;
  for (const auto& step : steps) {
    const auto pause = pacer.PauseBeforeRead(step.waited, {step.bytesBefore, step.elsewhere});
    EXPECT_EQ(pause, step.pause) << step.waited.count() << " " << step.bytesBefore;
    EXPECT_EQ(pacer.PausedForOthers(), pause == brief);
  }
  // Once such pauses end early on the folder's own records, other folders'
  // records closer than one are paced too, burst or not.
  pacer.OthersPausesWakeable();
  EXPECT_EQ(pacer.PauseBeforeRead(microseconds(2000), {64, true}), brief);
  EXPECT_EQ(pacer.PauseBeforeRead(microseconds(30'000), {64, true}), none);
  EXPECT_EQ(pacer.PauseBeforeRead(microseconds(2000), {64, false}), none);
}

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
  // A tree is small up to a number of directories.
  // Five directories (the folder, a, a/b, a/b/c, d), files and a link to a
  // directory beside them: the link is not followed, files do not count.
  TempFolder folder;
  std::filesystem::create_directories(folder / "a/b/c");
  std::filesystem::create_directories(folder / "d");
  folder.Write("a/b/file");
  std::filesystem::create_directory_symlink(folder / "a", folder / "d/link");
  for (const auto& [limit, small] : {std::pair{5, true}, {4, false}, {1, false}, {0, false}}) {
    EXPECT_EQ(TreeHasAtMostDirectories(folder.path().string(), limit), small) << limit;
  }
  EXPECT_TRUE(TreeHasAtMostDirectories((folder / "missing").string(), 1));
}

// Folders beyond the process's share of inotify instances are polled, and
// a share given back can be taken again.
TEST(PolledFileSystemsTest, TheProcessTakesAtMostItsShareOfInotifyInstances) {
  int taken = 0;
  while (taken <= InotifyInstanceShare() && TakeInotifyInstance()) ++taken;
  EXPECT_EQ(taken, InotifyInstanceShare());
  ReturnInotifyInstance();
  EXPECT_TRUE(TakeInotifyInstance());
  for (int index = 0; index < taken; ++index) ReturnInotifyInstance();
}

}  // namespace
}  // namespace tavrek::engine
