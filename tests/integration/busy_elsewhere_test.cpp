// A folder outside the watched one that keeps the disk busy is quieted in the
// kernel (fanotify only: inotify never hears of it). Quieting must lose
// nothing: a busy folder that moves in is heard again at once, and what it
// holds is reported.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "file_ops.h"
#include "source_fixture.h"
#include "support/wait_until.h"

namespace tavrek::testing {
namespace {

using engine::kKindName;

// Whether this process's fanotify group tells the kernel to drop changes in
// the directory at `path` (its marks are listed in /proc/self/fdinfo).
bool QuietedInKernel(const std::string& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) return false;
  std::ostringstream wanted;
  wanted << "ino:" << std::hex << status.st_ino << " ";
  for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fdinfo")) {
    std::ifstream info(fd.path());
    for (std::string line; std::getline(info, line);) {
      if (line.find(wanted.str()) != std::string::npos &&
          line.find("ignored_mask:") != std::string::npos) {
        return true;
      }
    }
  }
  return false;
}

class BusyElsewhereTest : public SourceTest {};

TEST_P(BusyElsewhereTest, AQuietedFolderMovedInIsHeardAgainWithWhatItHolds) {
  ASSERT_TRUE(MakeDirectory(Path("w")));
  ASSERT_TRUE(MakeDirectory(Path("busy")));
  harness.emplace(Path("w/"), GetParam());
  ASSERT_TRUE(harness->ready());
  int made = 0;
  // Other tests' changes share the kernel's queue: files are made until the
  // folder counts as busy, whatever else goes on.
  ASSERT_TRUE(WaitUntil([&] {
    for (int batch = 0; batch < 100; ++batch) {
      if (!CreateEmpty(Path("busy/f" + std::to_string(made++)))) return false;
    }
    return QuietedInKernel(Path("busy"));
  }));
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

INSTANTIATE_TEST_SUITE_P(Backends, BusyElsewhereTest,
                         ::testing::Values(engine::BackendType::Fanotify), BackendTestName);

}  // namespace
}  // namespace tavrek::testing
