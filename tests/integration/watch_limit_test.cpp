// Running out of inotify watches: reported once, and the watches there are
// keep working. The limit is lowered in a user namespace of its own, so the
// machine's setting is not touched.
#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "core/engine/backend/backend.h"
#include "file_ops.h"
#include "support/source_harness.h"
#include "support/temp_folder.h"
#include "support/wait_until.h"

namespace tavrek::testing {
namespace {

// The folder and two of its directories fit; the rest do not.
constexpr const char* kWatchLimit = "3";
constexpr int kDirectories = 6;
enum ChildResult { kChildPassed = 0, kChildFailed = 1 };

bool WriteText(const char* path, const std::string& text) {
  const int fd = open(path, O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  return close(fd) == 0 && written;
}

// In a user namespace of its own, mapping this process's user and group.
bool EnterNamespaceWithLowWatchLimit() {
  const std::string user = "0 " + std::to_string(geteuid()) + " 1";
  const std::string group = "0 " + std::to_string(getegid()) + " 1";
  return unshare(CLONE_NEWUSER) == 0 && WriteText("/proc/self/setgroups", "deny") &&
         WriteText("/proc/self/uid_map", user) && WriteText("/proc/self/gid_map", group) &&
         WriteText("/proc/sys/user/max_inotify_watches", kWatchLimit);
}

int WatchMoreDirectoriesThanAllowed() {
  if (!EnterNamespaceWithLowWatchLimit()) {
    // Only single-threaded processes may change their user namespace.
    std::fputs("no user namespace here: watch limit not tested\n", stderr);
    return kChildPassed;
  }
  bool passed = false;
  {
    TempFolder folder;
    for (int index = 0; index < kDirectories; ++index) {
      folder.Write("d" + std::to_string(index) + "/f.txt", "x");
    }
    SourceHarness harness(folder.slashed(), engine::BackendType::Inotify);
    const std::string top = folder.slashed() + "top.txt";
    passed = harness.ready() && !harness.source().Finished() && AppendTo(top, "x") &&
             harness.WaitFor(engine::kKindName, "Erstellen", top) && harness.Settle() &&
             harness.watchLimitReports() == 1;
  }
  return passed ? kChildPassed : kChildFailed;
}

TEST(WatchLimitTest, IsReportedOnceAndTheRestKeepsWorking) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::_Exit(WatchMoreDirectoriesThanAllowed()), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace tavrek::testing
