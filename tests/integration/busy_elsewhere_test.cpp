// A folder outside the watched one that keeps the disk busy is quieted in the
// kernel (fanotify only: inotify never hears of it). Quieting must lose
// nothing: a busy folder that moves in is heard again at once, and what it
// holds is reported.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "file_ops.h"
#include "source_fixture.h"
#include "support/wait_until.h"

namespace tavrek::testing {
namespace {

using engine::kKindName;

// How many of this process's fanotify groups tell the kernel to drop changes
// in the directory at `path` (their marks are listed in /proc/self/fdinfo).
int GroupsQuieting(const std::string& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) return 0;
  std::ostringstream wanted;
  wanted << "ino:" << std::hex << status.st_ino << " ";
  int groups = 0;
  for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fdinfo")) {
    std::ifstream info(fd.path());
    for (std::string line; std::getline(info, line);) {
      if (line.find(wanted.str()) != std::string::npos &&
          line.find("ignored_mask:") != std::string::npos) {
        ++groups;
        break;
      }
    }
  }
  return groups;
}

bool QuietedInKernel(const std::string& path) { return GroupsQuieting(path) > 0; }

// Makes files in the folder until the kernel drops its changes (other tests'
// changes share the kernel's queue: until it counts as busy, whatever else goes on).
bool MakeBusy(const std::string& path) {
  int made = 0;
  return WaitUntil([&] {
    for (int batch = 0; batch < 100; ++batch) {
      if (!CreateEmpty(path + "/f" + std::to_string(made++))) return false;
    }
    return QuietedInKernel(path);
  });
}

// Folders nested deeper than a path the kernel takes, through descriptors.
struct DeepFolders {
  const std::string name = std::string(250, 'd');
  std::vector<int> levels;
  std::string relative;
  explicit DeepFolders(const std::string& top) : levels{open(top.c_str(), O_PATH | O_CLOEXEC)} {
    for (; levels.size() <= 20 && mkdirat(levels.back(), name.c_str(), 0755) == 0;
         relative += name + "/") {
      levels.push_back(openat(levels.back(), name.c_str(), O_PATH | O_CLOEXEC));
    }
  }
  ~DeepFolders() {
    for (size_t level = levels.size() - 1; level > 0; --level) {
      close(levels[level]);
      unlinkat(levels[level - 1], name.c_str(), AT_REMOVEDIR);
    }
    close(levels[0]);
  }
};

class BusyElsewhereTest : public SourceTest {
 protected:
  // Watches "w" while the folder "busy" beside it keeps the disk busy enough
  // to be quieted.
  void WatchBesideABusyFolder() {
    ASSERT_TRUE(MakeDirectory(Path("w")));
    ASSERT_TRUE(MakeDirectory(Path("busy")));
    harness.emplace(Path("w/"), GetParam());
    ASSERT_TRUE(harness->ready());
    ASSERT_TRUE(MakeBusy(Path("busy")));
  }
};

TEST_P(BusyElsewhereTest, AQuietedFolderMovedInIsHeardAgainWithWhatItHolds) {
  ASSERT_NO_FATAL_FAILURE(WatchBesideABusyFolder());
  // A file leaving the quieted folder for the watched one: renames are never dropped.
  ASSERT_TRUE(RenamePath(Path("busy/f0"), Path("w/moved")));
  EXPECT_TRUE(harness->WaitFor(kKindName, engine::Action::kCreated, Path("w/moved")));

  ASSERT_TRUE(RenamePath(Path("busy"), Path("w/busy")));
  ASSERT_TRUE(CreateEmpty(Path("w/busy/late")));
  EXPECT_TRUE(harness->WaitFor(kKindName, engine::Action::kCreated, Path("w/busy/late")));
  EXPECT_TRUE(harness->WaitFor(kKindName, engine::Action::kCreated, Path("w/busy/f1")));
  EXPECT_FALSE(QuietedInKernel(Path("w/busy")));
  // Reading what it holds is the watch's own doing, no access to report.
  ASSERT_TRUE(harness->Settle());
  EXPECT_EQ(harness->Describe(Path("w/busy"), engine::kKindAccess), std::vector<std::string>{});
}

TEST_P(BusyElsewhereTest, AQuietedFolderMovedDeeperThanAnyPathIsListedToo) {
  ASSERT_TRUE(MakeDirectory(Path("w")));
  ASSERT_TRUE(MakeDirectory(Path("busy")));
  DeepFolders deep(Path("w"));
  ASSERT_EQ(deep.levels.size(), 21u);
  harness.emplace(Path("w/"), GetParam());
  ASSERT_TRUE(harness->ready());
  ASSERT_TRUE(MakeBusy(Path("busy")));
  ASSERT_EQ(renameat(AT_FDCWD, Path("busy").c_str(), deep.levels.back(), "busy"), 0);
  EXPECT_TRUE(harness->WaitFor(kKindName, engine::Action::kCreated,
                               Path("w/" + deep.relative + "busy/f1")));
  // Back out, where it can go by its path.
  EXPECT_EQ(renameat(deep.levels.back(), "busy", AT_FDCWD, Path("busy").c_str()), 0);
}

// Deletions anywhere reach a whole-file-system watch however quiet their
// folder: the reader paces them, and a change of its own folder still comes.
TEST_P(BusyElsewhereTest, TheFoldersOwnChangeComesAmidDeletionsInAQuietedFolder) {
  ASSERT_NO_FATAL_FAILURE(WatchBesideABusyFolder());
  // The group that wakes the paced reader is quieted alike once it is set up.
  int made = 0;
  EXPECT_TRUE(WaitUntil([&] {
    for (int batch = 0; batch < 100; ++batch, ++made) {
      const std::string name = Path("busy/g" + std::to_string(made));
      if (!CreateEmpty(name) || unlink(name.c_str()) != 0) return false;
    }
    return GroupsQuieting(Path("busy")) == 2;
  }));
  ASSERT_TRUE(CreateEmpty(Path("w/own")));
  EXPECT_TRUE(harness->WaitFor(kKindName, engine::Action::kCreated, Path("w/own")));
}

INSTANTIATE_TEST_SUITE_P(Backends, BusyElsewhereTest,
                         ::testing::Values(engine::BackendType::Fanotify), BackendTestName);

}  // namespace
}  // namespace tavrek::testing
