// Starting, ending and stopping a folder source.
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>

#include "file_ops.h"
#include "source_fixture.h"
#include "support/wait_until.h"

namespace tavrek::testing {
namespace {

using engine::kKindName;

engine::KindSet SomeKinds() {
  engine::KindSet kinds{};
  kinds[engine::kKindName] = kinds[engine::kKindWrite] = kinds[engine::kKindSecurity] = true;
  return kinds;
}

class SourceLifecycleTest : public SourceTest {
 protected:
  // Waits until the source ended and checks one "Abbruch" per running kind.
  void ExpectEndedOncePerKind(const std::string& folderPath) {
    ASSERT_TRUE(WaitUntil([&] { return harness->source().Finished(); }));
    std::set<int> kinds;
    for (const engine::ChangeEvent& event : harness->events()) {
      if (event.action != "Abbruch") continue;
      EXPECT_EQ(event.path, folderPath);
      EXPECT_EQ(event.actionCode, engine::kActionEnded);
      EXPECT_TRUE(kinds.insert(event.kindIndex).second) << int{event.kindIndex};
    }
    EXPECT_EQ(kinds, (std::set<int>{engine::kKindName, engine::kKindWrite, engine::kKindSecurity}));
  }
};

TEST_P(SourceLifecycleTest, AFolderThatCannotBeOpenedEndsAtOnce) {
  harness.emplace(Path("missing/"), GetParam(), SomeKinds());
  // Named as the start and stop rows name a folder: no trailing "/".
  ExpectEndedOncePerKind(Path("missing"));
}

TEST_P(SourceLifecycleTest, DeletingTheWatchedFolderEndsEveryRunningKindOnce) {
  folder.Write("sub/f.txt", "x");
  Start(SomeKinds());
  std::filesystem::remove_all(folder.path());
  ExpectEndedOncePerKind(folder.path().string());
  EXPECT_TRUE(harness->WaitFor(kKindName, "Löschen", Path("sub/f.txt")));
}

TEST_P(SourceLifecycleTest, NothingArrivesAfterTheStop) {
  constexpr int kFiles = 200;
  Start();
  for (int file = 0; file < kFiles; ++file) {
    ASSERT_TRUE(AppendTo(Path("before" + std::to_string(file)), "x"));
  }
  harness->source().RequestStop();
  std::vector<engine::EventBatch> taken;
  harness->queue().TakeAll(taken);
  for (int file = 0; file < kFiles; ++file) {
    ASSERT_TRUE(AppendTo(Path("after" + std::to_string(file)), "x"));
  }
  ASSERT_TRUE(WaitUntil([&] { return harness->source().Finished(); }));
  EXPECT_TRUE(harness->queue().Empty());
}

TEST_P(SourceLifecycleTest, WithoutSubtreeOnlyTheFolderItselfIsWatched) {
  ASSERT_TRUE(MakeDirectory(Path("sub")));
  Start(AllKinds(), false);
  ASSERT_TRUE(AppendTo(Path("sub/f.txt"), "x"));
  ASSERT_TRUE(MakeDirectory(Path("new")));
  ASSERT_TRUE(AppendTo(Path("new/g.txt"), "x"));
  ASSERT_TRUE(AppendTo(Path("top.txt"), "x"));
  EXPECT_TRUE(harness->WaitFor(kKindName, "Erstellen", Path("top.txt")));
  EXPECT_TRUE(harness->WaitFor(kKindName, "Erstellen", Path("new")));
  ASSERT_TRUE(harness->Settle());
  for (const engine::ChangeEvent& event : harness->events()) {
    EXPECT_TRUE(event.path.find("/sub/") == std::string::npos &&
                event.path.find("/new/") == std::string::npos)
        << event.path;
  }
}

TAVREK_FOR_EVERY_BACKEND(SourceLifecycleTest);

constexpr uid_t kNobody = 65534;
enum ChildResult { kChildPassed = 0, kChildFailed = 1, kChildCannotDropRights = 2 };

bool Fails(const char* step) {
  std::fprintf(stderr, "failed: %s\n", step);
  return false;
}

bool HasNote(SourceHarness& harness, const std::string& note) {
  return WaitUntil([&] {
    const std::vector<std::string> notes = harness.notes();
    return std::find(notes.begin(), notes.end(), note) != notes.end();
  });
}

// Three locked directories at the start give one row naming the first and
// the count of the others; one made later gives a row of its own; the
// rest of the tree is watched all the while.
bool WatchUnreadableDirectories(const TempFolder& folder) {
  SourceHarness harness(folder.slashed(), engine::BackendType::Inotify);
  if (!harness.ready() || harness.source().Finished()) return Fails("start");
  const std::string written = folder.slashed() + "open/inner/y.txt";
  if (!AppendTo(written, "z") || !harness.WaitFor(engine::kKindWrite, "Schreiben", written)) {
    return Fails("write beside the locked directories");
  }
  const std::vector<std::string> notes = harness.notes();
  if (notes.size() != 1 || !notes[0].starts_with("Kein Zugriff: |" + folder.slashed() + "locked") ||
      !notes[0].ends_with(" +2 weitere")) {
    for (const std::string& note : notes) std::fprintf(stderr, "row: %s\n", note.c_str());
    return Fails("one row for the locked directories at the start");
  }
  // Made without any permission at once: its scan cannot read it.
  if (mkdir((folder.slashed() + "later").c_str(), 0) != 0) return Fails("mkdir");
  if (!HasNote(harness, "Kein Zugriff: |" + folder.slashed() + "later")) {
    return Fails("row for the locked directory made later");
  }
  return true;
}

// As an unprivileged user (permissions bind root only in name).
int WatchTreeWithUnreadableDirectories() {
  // Root reads folders without permission; anybody else is fine as is.
  if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setresgid(kNobody, kNobody, kNobody) != 0 ||
                         setresuid(kNobody, kNobody, kNobody) != 0)) {
    return kChildCannotDropRights;
  }
  bool passed = false;
  {
    TempFolder folder;
    for (const char* locked : {"locked/inner/x.txt", "locked-b/x", "locked-c/x"}) {
      folder.Write(locked, "x");
    }
    folder.Write("open/inner/y.txt", "y");
    for (const std::filesystem::path& path :
         {folder / "locked", folder / "locked-b", folder / "locked-c"}) {
      if (chmod(path.c_str(), 0) != 0) return kChildFailed;
    }
    passed = WatchUnreadableDirectories(folder);
  }
  return passed ? kChildPassed : kChildFailed;
}

TEST(UnreadableDirectoryTest, IsSaidOncePerWalkWhileTheRestIsWatched) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::_Exit(WatchTreeWithUnreadableDirectories()), ::testing::ExitedWithCode(0),
              "");
}

}  // namespace
}  // namespace tavrek::testing
