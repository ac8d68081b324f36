// A kernel queue overflow on a real folder: the backend is not drained while
// more changes are made than the queue holds, so events are lost for sure;
// the rescan then reports what differs.
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <fstream>
#include <set>

#include "core/engine/backend/backend.h"
#include "core/engine/backend/inotify/tree_rescan.h"
#include "file_ops.h"
#include "support/raw_action_name.h"
#include "support/temp_folder.h"
#include "support/wait_until.h"

namespace tavrek::testing {
namespace {

using engine::RawAction;
using engine::RawChange;

// Changes made beyond what the kernel queue holds.
constexpr int kBeyondQueue = 500;
constexpr int kDrainsUntilQuiet = 1000;
constexpr mode_t kModes[] = {0600, 0644};
constexpr long long kNanosecondsPerSecond = 1'000'000'000;

int QueueSize() {
  std::ifstream limit("/proc/sys/fs/inotify/max_queued_events");
  int size = 0;
  limit >> size;
  return size;
}

// True once the real clock is past the file's last status change by more
// than the file clock may lag: a watch started now counts it as unchanged.
bool OlderThanTheFileClockLag(const std::string& path) {
  struct stat status;
  timespec now;
  if (stat(path.c_str(), &status) != 0 || clock_gettime(CLOCK_REALTIME, &now) != 0) return false;
  const long long age = (now.tv_sec - status.st_ctim.tv_sec) * kNanosecondsPerSecond +
                        (now.tv_nsec - status.st_ctim.tv_nsec);
  return age > engine::kFileClockLagNanoseconds;
}

class OverflowRescanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    queue = QueueSize();
    // Making that many files would take too long; such a machine is rare.
    if (queue <= 0 || queue > (1 << 18)) GTEST_SKIP() << "kernel queue size " << queue;
    folder.Write("d/keep", "x");
    folder.Write("d/gone", "x");
    folder.Write("d/grows", "x");
    // The rescan must find them unchanged since before the watch.
    ASSERT_TRUE(WaitUntil([&] { return OlderThanTheFileClockLag(folder.slashed() + "d/grows"); }));
    engine::BackendSettings settings;
    settings.folder = folder.slashed();
    std::string error;
    ASSERT_TRUE(backend->Start(settings, error)) << error;
  }

  // Drains until a drain returns nothing, collecting changes and what the
  // drains said.
  void DrainAll() {
    for (int drains = 0; drains < kDrainsUntilQuiet; ++drains) {
      const size_t before = changes.size();
      engine::DrainResult result = backend->Drain(changes);
      overflows += result.overflows;
      if (result.rescanned) {
        rescanned = true;
        for (size_t index = result.rescanBegin; index < changes.size(); ++index) {
          found.insert(Describe(changes[index]));
        }
      }
      if (changes.size() == before && !result.pendingPairs) return;
    }
  }

  std::string Describe(const RawChange& change) const {
    return std::string(testing::RawActionName(change.action)) + " " +
           change.path.substr(folder.slashed().size());
  }

  std::set<std::string> Reported() const {
    std::set<std::string> reported;
    for (const RawChange& change : changes) reported.insert(Describe(change));
    return reported;
  }

  TempFolder folder;
  std::unique_ptr<engine::Backend> backend = engine::MakeInotifyBackend();
  int queue = 0;
  std::vector<RawChange> changes;
  std::set<std::string> found;  // by the rescan
  uint32_t overflows = 0;
  bool rescanned = false;
};

TEST_F(OverflowRescanTest, ReportsWhatTheLostEventsHeldAndWatchesNewFolders) {
  // Files made first fill part of the queue; changing the mode of two files
  // in turn (the kernel merges only repeats of the last event) fills the rest.
  constexpr int kFiles = 1000;
  for (int file = 0; file < kFiles; ++file) {
    ASSERT_TRUE(CreateEmpty(folder.slashed() + "d/f" + std::to_string(file)));
  }
  const std::string first = folder.slashed() + "d/f0";
  const std::string second = folder.slashed() + "d/f1";
  for (int touch = 0; touch < queue + kBeyondQueue; ++touch) {
    ASSERT_EQ(chmod((touch % 2 == 0 ? first : second).c_str(), kModes[touch / 2 % 2]), 0);
  }
  ASSERT_TRUE(CreateEmpty(folder.slashed() + "d/lost"));
  // Past the overflow point for sure.
  ASSERT_EQ(unlink((folder.slashed() + "d/gone").c_str()), 0);
  ASSERT_TRUE(AppendTo(folder.slashed() + "d/grows", "more"));
  ASSERT_TRUE(MakeDirectory(folder.slashed() + "late"));
  ASSERT_TRUE(CreateEmpty(folder.slashed() + "late/inside"));
  DrainAll();

  EXPECT_GE(overflows, 1u);
  ASSERT_TRUE(rescanned);
  const std::set<std::string> reported = Reported();
  for (int file = 0; file < kFiles; ++file) {
    const std::string created = "created d/f" + std::to_string(file);
    ASSERT_TRUE(reported.contains(created)) << created;
  }
  EXPECT_TRUE(found.contains("created d/lost"));
  EXPECT_TRUE(found.contains("deleted d/gone"));
  EXPECT_TRUE(found.contains("modified d/grows"));
  EXPECT_TRUE(found.contains("created late"));
  EXPECT_TRUE(found.contains("created late/inside"));
  // Unchanged since before the watch: nothing to say.
  EXPECT_FALSE(reported.contains("modified d/keep") || reported.contains("attrib d/keep"));

  // The folder made during the loss is watched from now on.
  changes.clear();
  ASSERT_TRUE(CreateEmpty(folder.slashed() + "late/after"));
  DrainAll();
  EXPECT_TRUE(Reported().contains("created late/after"));
}

}  // namespace
}  // namespace tavrek::testing
