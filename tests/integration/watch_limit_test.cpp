// Running out of inotify watches: reported once, and the watches there are
// keep working. The limit is lowered in a user namespace of its own, so the
// machine's setting is not touched.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "core/engine/backend/backend.h"
#include "file_ops.h"
#include "low_watch_limit.h"
#include "support/source_harness.h"
#include "support/temp_folder.h"
#include "support/wait_until.h"

namespace tavrek::testing {
namespace {

// The folder and two of its directories fit; the rest do not.
constexpr const char* kWatchLimit = "3";
constexpr int kDirectories = 6;
enum ChildResult { kChildPassed = 0, kChildFailed = 1 };

int WatchMoreDirectoriesThanAllowed() {
  if (!EnterNamespaceWithWatchLimit(kWatchLimit)) {
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
             harness.WaitFor(engine::kKindName, engine::Action::kCreated, top) && harness.Settle() &&
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
