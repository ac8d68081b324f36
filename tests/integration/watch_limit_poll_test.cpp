// Directories beyond the inotify watch limit are polled: a change in one is
// reported, marked as found by polling, the limit is reported once, and the
// status row tells how many folders are watched which way. The limit is lowered in a user namespace of
// its own, so the machine's setting is not touched.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "core/engine/backend/backend.h"
#include "file_ops.h"
#include "low_watch_limit.h"
#include "support/source_harness.h"
#include "support/temp_folder.h"

namespace tavrek::testing {
namespace {

// The folder and two of its directories fit; the rest do not.
constexpr const char* kWatchLimit = "3";
constexpr int kDirectories = 6;
enum ChildResult { kChildPassed = 0, kChildFailed = 1 };

// Folders watched by inotify and polled, from the status row telling them.
bool ToldHowWatched(SourceHarness& harness, int& kernel, int& polled) {
  for (const std::string& note : harness.notes()) {
    if (std::sscanf(note.c_str(), "Überwachung: %d Ordner per inotify, %d abgefragt alle 2 s|",
                    &kernel, &polled) == 2) {
      return true;
    }
  }
  return false;
}

int ChangeEveryLeaf() {
  if (!EnterNamespaceWithWatchLimit(kWatchLimit)) {
    std::fputs("no user namespace here: polling beyond the watch limit not tested\n", stderr);
    return kChildPassed;
  }
  TempFolder folder;
  for (int index = 0; index < kDirectories; ++index) folder.Write("d" + std::to_string(index) + "/f");
  SourceHarness harness(folder.slashed(), engine::BackendType::Inotify);
  if (!harness.ready() || harness.source().Finished()) return kChildFailed;
  int reported = 0;
  int marked = 0;
  for (int index = 0; index < kDirectories; ++index) {
    const std::string path = folder.slashed() + "d" + std::to_string(index) + "/new";
    // Each new file is reported once: by its directory's watch, or by polling.
    const auto created = [&](const engine::ChangeEvent& event) {
      return event.kindIndex == engine::kKindName && event.action == engine::Action::kCreated &&
             event.path == path;
    };
    if (!CreateEmpty(path) || !harness.WaitFor(created, std::chrono::seconds(30)) ||
        harness.Count(engine::kKindName, engine::Action::kCreated, path) != 1) {
      continue;
    }
    ++reported;
    for (const engine::ChangeEvent& event : harness.events()) {
      if (event.path == path && event.internText().ends_with(" abgefragt")) ++marked;
    }
  }
  int kernel = 0;
  int polled = 0;
  const bool told = ToldHowWatched(harness, kernel, polled);
  // Every polled directory is a leaf holding one new file, seen by two kinds.
  return reported == kDirectories && told && kernel + polled == kDirectories + 1 &&
                 polled > 0 && marked == 2 * polled && harness.Settle() &&
                 harness.watchLimitReports() == 1
             ? kChildPassed
             : kChildFailed;
}

TEST(WatchLimitPollTest, DirectoriesBeyondTheLimitArePolled) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::_Exit(ChangeEveryLeaf()), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace tavrek::testing
