// Polling on real folders: one pass at a time through the poller, and the
// whole source with the "Intern" mark and the row telling the interval, also
// as the automatic choice beneath a FUSE mount.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "core/engine/backend/poll/tree_poller.h"
#include "file_ops.h"
#include "source_fixture.h"
#include "support/raw_action_name.h"

namespace tavrek::testing {
namespace {

using Step = std::function<bool(const std::string& folder)>;

struct PassCase {
  const char* name;
  Step before;  // the tree the first listing sees
  Step between;  // what the second pass must find
  std::vector<std::string> expected;  // sorted
  size_t fullReads = engine::TreePoller::kAll;  // directories a pass may read in full
};

std::string Describe(const engine::RawChange& change, size_t prefix) {
  std::string text = std::string(RawActionName(change.action)) + " " + change.path.substr(prefix);
  if (!change.oldPath.empty()) text += " <- " + change.oldPath.substr(prefix);
  if (change.sameSize) text += " same size";
  return text;
}

bool Fill(const std::string& folder) {
  return MakeDirectory(folder + "d") && AppendTo(folder + "d/x", "1") &&
         MakeDirectory(folder + "d/e") && AppendTo(folder + "d/e/y", "2");
}

const PassCase kCases[] = {
    // What was done to a file before the pass that found it made is told with its making.
    {"create", nullptr, [](auto f) { return CreateEmpty(f + "a"); }, {"attrib a", "created a"}},
    {"write", [](auto f) { return AppendTo(f + "a", "xx"); },
     [](auto f) { return OverwriteAt(f + "a", 0, "yy") && SetTimes(f + "a", false, true, 1000); },
     {"modified a same size"}},
    // touch(1) of a file there already: times set to now, as the kernel says attrib.
    {"touch", [](auto f) { return CreateEmpty(f + "a") && SetTimes(f + "a", true, true, 1000); },
     [](auto f) { return utimensat(AT_FDCWD, (f + "a").c_str(), nullptr, 0) == 0; },
     {"attrib a"}},
    {"size", [](auto f) { return AppendTo(f + "a", "x"); },
     [](auto f) { return AppendTo(f + "a", "y"); }, {"modified a"}},
    {"mode", [](auto f) { return CreateEmpty(f + "a"); },
     [](auto f) { return chmod((f + "a").c_str(), 0600) == 0; }, {"attrib a"}},
    {"delete", [](auto f) { return CreateEmpty(f + "a"); },
     [](auto f) { return unlink((f + "a").c_str()) == 0; }, {"deleted a"}},
    {"rename", [](auto f) { return CreateEmpty(f + "a"); },
     [](auto f) { return RenamePath(f + "a", f + "b"); }, {"renamed b <- a"}},
    {"rename and mode", [](auto f) { return CreateEmpty(f + "a"); },
     [](auto f) { return RenamePath(f + "a", f + "b") && chmod((f + "b").c_str(), 0600) == 0; },
     {"attrib b", "renamed b <- a"}},
    {"folder made and filled", nullptr, Fill,
     {"created d", "created d/e", "created d/e/y", "created d/x", "modified d/e/y",
      "modified d/x"}},
    {"folder renamed with what it holds", Fill,
     [](auto f) { return RenamePath(f + "d", f + "n") && AppendTo(f + "n/e/y", "3"); },
     {"modified n/e/y", "renamed n <- d"}},
    {"folder deleted with what it holds", Fill,
     [](auto f) { return std::filesystem::remove_all(f + "d") == 4; },
     {"deleted d", "deleted d/e", "deleted d/e/y", "deleted d/x"}},
    // A pass that reads no directory in full still reads those whose names changed.
    {"names made and moved, no directory read in full", Fill,
     [](auto f) { return CreateEmpty(f + "d/e/new") && RenamePath(f + "d/x", f + "d/e/x"); },
     {"attrib d/e/new", "created d/e/new", "renamed d/e/x <- d/x"}, 0},
};

TEST(TreePollerTest, APassReportsWhatChangedSinceTheLast) {
  for (const PassCase& test : kCases) {
    SCOPED_TRACE(test.name);
    TempFolder folder;
    const std::string root = folder.slashed();
    if (test.before) {
      ASSERT_TRUE(test.before(root));
    }
    engine::TreePoller poller(root, true, nullptr);
    ASSERT_TRUE(poller.Baseline());
    std::vector<engine::RawChange> changes;
    ASSERT_TRUE(poller.Pass(changes, test.fullReads));
    EXPECT_TRUE(changes.empty());
    ASSERT_TRUE(test.between(root));
    ASSERT_TRUE(poller.Pass(changes, test.fullReads));
    std::vector<std::string> seen;
    for (const auto& change : changes) seen.push_back(Describe(change, root.size()));
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, test.expected);
  }
}

TEST(TreePollerTest, ALostFolderOrAStopEndsThePass) {
  TempFolder folder;
  folder.Write("d/x");
  std::atomic<bool> stop{false};
  engine::TreePoller poller(folder.slashed() + "d/", true, &stop);
  ASSERT_TRUE(poller.Baseline());
  std::vector<engine::RawChange> changes;
  stop = true;
  EXPECT_FALSE(poller.Pass(changes));
  EXPECT_FALSE(poller.folderLost());
  stop = false;
  std::filesystem::remove_all(folder / "d");
  EXPECT_FALSE(poller.Pass(changes));
  EXPECT_TRUE(poller.folderLost());
  EXPECT_TRUE(changes.empty());
}

// A folder that is all of a watch ends when it is removed or another takes
// its name; what it held is reported deleted, contents first.
TEST(TreePollerTest, AWatchedFolderRemovedOrReplacedEndsWithWhatItHeldDeleted) {
  for (const bool replaced : {false, true}) {
    SCOPED_TRACE(replaced ? "replaced" : "removed");
    TempFolder folder;
    folder.Write("w/d/x");
    const std::string root = folder.slashed() + "w/";
    engine::TreePoller poller(root, true, nullptr, true);
    ASSERT_TRUE(poller.Baseline());
    std::filesystem::remove_all(root);
    if (replaced) {
      ASSERT_TRUE(MakeDirectory(root) && CreateEmpty(root + "new"));
    }
    std::vector<engine::RawChange> changes;
    EXPECT_FALSE(poller.Pass(changes));
    EXPECT_TRUE(poller.folderLost());
    std::vector<std::string> seen;
    for (const auto& change : changes) seen.push_back(Describe(change, root.size()));
    EXPECT_EQ(seen, (std::vector<std::string>{"deleted d/x", "deleted d"}));
  }
}

TEST(PollSourceTest, PolledChangesAreMarkedAndTheIntervalIsShown) {
  TempFolder folder;
  SourceHarness harness(folder.slashed(), engine::BackendType::Poll);
  ASSERT_TRUE(harness.ready());
  EXPECT_EQ(harness.source().backend(), engine::BackendType::Poll);
  const std::string path = folder.slashed() + "a";
  ASSERT_TRUE(CreateEmpty(path));
  ASSERT_TRUE(harness.WaitFor(
      [&](const engine::ChangeEvent& event) {
        return event.path == path && event.action == engine::Action::kCreated &&
               event.internText().ends_with(" abgefragt");
      },
      std::chrono::seconds(30)));
  const std::vector<std::string> notes = harness.notes();
  EXPECT_TRUE(std::any_of(notes.begin(), notes.end(), [](const std::string& note) {
    return note.starts_with("Überwachung: 1 Ordner abgefragt alle ");
  }));
}

// A file found made, empty or written, then changed in mode: the change is a
// security change, neither lost nor taken for a write.
TEST(PollSourceTest, AChmodOfAFileFoundMadeIsASecurityChange) {
  TempFolder folder;
  SourceHarness harness(folder.slashed(), engine::BackendType::Poll);
  ASSERT_TRUE(harness.ready());
  const std::string empty = folder.slashed() + "empty";
  const std::string written = folder.slashed() + "written";
  ASSERT_TRUE(CreateEmpty(empty) && AppendTo(written, "x"));
  ASSERT_TRUE(harness.WaitFor(engine::kKindName, engine::Action::kCreated, empty));
  ASSERT_TRUE(harness.WaitFor(engine::kKindName, engine::Action::kCreated, written));
  ASSERT_TRUE(chmod(empty.c_str(), 0600) == 0 && chmod(written.c_str(), 0600) == 0);
  for (const auto& [path, sizes] : {std::pair{empty, 0}, std::pair{written, 1}}) {
    EXPECT_TRUE(harness.WaitFor(engine::kKindSecurity, engine::Action::kSecurity, path)) << path;
    EXPECT_EQ(harness.Count(engine::kKindSize, engine::Action::kSize, path), sizes) << path;
  }
}

// Mounts `source` at `target` with bindfs while it lives.
class BindMount {
 public:
  BindMount(const std::string& source, const std::string& target) : target_(target) {
    const std::string command = "bindfs '" + source + "' '" + target_ + "' 2>/dev/null";
    mounted_ = std::system(command.c_str()) == 0;
  }
  ~BindMount() {
    if (!mounted_) return;
    const std::string command = "fusermount -u '" + target_ + "' 2>/dev/null || fusermount3 -u '" +
                                target_ + "' 2>/dev/null || umount '" + target_ + "'";
    if (std::system(command.c_str()) != 0) std::fputs("bindfs mount left behind\n", stderr);
  }
  bool mounted() const { return mounted_; }

 private:
  std::string target_;
  bool mounted_ = false;
};

// A folder beneath a FUSE mount is polled by the automatic choice: a file
// made behind the mount, where no kernel queue of this machine sees it, is
// reported under the mount.
TEST(PollSourceTest, AFileMadeBehindAFuseMountIsReportedUnderIt) {
  TempFolder behind;
  TempFolder mountPoint;
  BindMount mount(behind.path().string(), mountPoint.path().string());
  if (!mount.mounted()) GTEST_SKIP() << "bindfs or FUSE is not available here";
  {
    SourceHarness harness(mountPoint.slashed(), engine::BackendType::Automatic);
    ASSERT_TRUE(harness.ready());
    EXPECT_EQ(harness.source().backend(), engine::BackendType::Poll);
    ASSERT_TRUE(CreateEmpty(behind.slashed() + "made-behind"));
    const std::string seen = mountPoint.slashed() + "made-behind";
    EXPECT_TRUE(harness.WaitFor(
        [&](const engine::ChangeEvent& event) {
          return event.path == seen && event.action == engine::Action::kCreated;
        },
        std::chrono::seconds(30)));
  }
}

}  // namespace
}  // namespace tavrek::testing
