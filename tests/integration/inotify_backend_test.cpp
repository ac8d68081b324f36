// The inotify backend's set-up over real folders: which directories get a
// watch.
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <thread>

#include "core/engine/backend/backend.h"
#include "file_ops.h"
#include "scoped_mount.h"
#include "support/temp_folder.h"
#include "support/wait_until.h"

namespace tavrek::testing {
namespace {

using engine::BackendSettings;

// Watches of an inotify descriptor, as the kernel lists them, that ask for
// all of `mask`.
int CountWatches(int fd, uint32_t mask = 0) {
  std::ifstream info("/proc/self/fdinfo/" + std::to_string(fd));
  int watches = 0;
  for (std::string line; std::getline(info, line);) {
    const size_t at = line.find(" mask:");
    if (!line.starts_with("inotify wd:") || at == std::string::npos) continue;
    if ((std::stoul(line.substr(at + 6), nullptr, 16) & mask) == mask) ++watches;
  }
  return watches;
}

std::string WorkingDirectory() {
  char path[PATH_MAX];
  return getcwd(path, sizeof path) != nullptr ? path : "";
}

// Folders above the watched one are watched for their own move: "/a/b/" has
// "/a/" above it ("/" cannot move).
int AncestorCount(const std::string& slashed) {
  return static_cast<int>(std::count(slashed.begin(), slashed.end(), '/')) - 2;
}

class InotifyBackendTest : public ::testing::Test {
 protected:
  InotifyBackendTest() {
    for (const char* directory : {"a", "a/b", "a/b/c", "d", "mnt"}) {
      EXPECT_TRUE(MakeDirectory(folder.slashed() + directory));
    }
    folder.Write("a/file.txt");
    settings.folder = folder.slashed();
  }
  TempFolder folder;
  BackendSettings settings;
  std::unique_ptr<engine::Backend> backend = engine::MakeInotifyBackend();
  std::string error;
};

TEST_F(InotifyBackendTest, WatchesEveryDirectoryOfTheFolderAndNoOtherFileSystem) {
  settings.subtree = false;  // the folder only
  ASSERT_TRUE(backend->Start(settings, error)) << error;
  EXPECT_EQ(CountWatches(backend->PollFds().front()), 1 + AncestorCount(settings.folder));
  ScopedMount mounted("tavrek-test", folder.slashed() + "mnt", "tmpfs", 0);
  if (!mounted.mounted()) GTEST_SKIP() << "this process may not mount";
  ASSERT_TRUE(MakeDirectory(folder.slashed() + "mnt/inside"));
  settings.subtree = true;
  auto whole = engine::MakeInotifyBackend();
  ASSERT_TRUE(whole->Start(settings, error)) << error;
  // The folder, a, a/b, a/b/c and d; neither mnt nor what it holds.
  EXPECT_EQ(CountWatches(whole->PollFds().front()), 5 + AncestorCount(settings.folder));
}

// A watch runs on a thread of its own, where the walk takes a shortcut
// through the thread's working directory; the other threads' stays put.
// Below some depth the walk no longer keeps each level open and goes by path:
// a relative path must then still mean what it meant to the caller.
TEST_F(InotifyBackendTest, ADeepTreeGivenByARelativePathIsWatchedFromAWorkerThread) {
  constexpr int kDepth = 80;
  std::string deep = folder.slashed() + "d";
  for (int level = 0; level < kDepth; ++level) {
    deep += "/l";
    ASSERT_TRUE(MakeDirectory(deep));
  }
  settings.wantAccess = true;
  const std::string before = WorkingDirectory();
  settings.folder = std::filesystem::relative(folder.slashed(), before).string() + "/";
  ASSERT_FALSE(settings.folder.starts_with("/"));
  std::string afterWalk;
  bool started = false;
  std::thread([&] {
    started = backend->Start(settings, error);
    afterWalk = WorkingDirectory();
  }).join();
  ASSERT_TRUE(started) << error;
  EXPECT_EQ(afterWalk, before);
  EXPECT_EQ(WorkingDirectory(), before);
  // The folder, a, a/b, a/b/c, d, mnt and the deep levels, each once read
  // asking for access.
  const int fd = backend->PollFds().front();
  EXPECT_EQ(CountWatches(fd, IN_ACCESS), 6 + kDepth);

  folder.Write("a/b/c/new.txt");
  std::vector<engine::RawChange> changes;
  const std::string expected = settings.folder + "a/b/c/new.txt";
  EXPECT_TRUE(WaitUntil([&] {
    backend->Drain(changes);
    return std::any_of(changes.begin(), changes.end(), [&](const engine::RawChange& change) {
      return change.action == engine::RawAction::kCreated && change.path == expected;
    });
  }));
}

TEST_F(InotifyBackendTest, AFolderThatIsNoFolderOrAStartCancelledGivesUp) {
  for (const std::string& path : {folder.slashed() + "a/file.txt/", folder.slashed() + "none/",
                                  std::string()}) {
    settings.folder = path;
    EXPECT_FALSE(engine::MakeInotifyBackend()->Start(settings, error)) << path;
  }
  const std::atomic<bool> cancelled{true};
  settings.folder = folder.slashed();
  settings.cancel = &cancelled;
  EXPECT_FALSE(backend->Start(settings, error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace tavrek::testing
