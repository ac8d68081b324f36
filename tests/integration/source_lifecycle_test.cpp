// Starting, ending and stopping a folder source.
#include <grp.h>
#include <unistd.h>

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

TEST_P(SourceLifecycleTest, ResolvesTheBackendInUse) {
  Start();
  EXPECT_EQ(harness->source().backend(), GetParam());
  EXPECT_FALSE(harness->source().Finished());
}

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

// As an unprivileged user (permissions bind root only in name): a folder
// holding a directory nobody may read and one that anybody may.
int WatchTreeWithAnUnreadableDirectory() {
  if (setgroups(0, nullptr) != 0 || setresgid(kNobody, kNobody, kNobody) != 0 ||
      setresuid(kNobody, kNobody, kNobody) != 0) {
    return kChildCannotDropRights;
  }
  bool passed = false;
  {
    TempFolder folder;
    folder.Write("locked/inner/x.txt", "x");
    folder.Write("open/inner/y.txt", "y");
    if (chmod((folder / "locked").c_str(), 0) != 0) return kChildFailed;
    SourceHarness harness(folder.slashed(), engine::BackendType::Inotify);
    const std::string written = folder.slashed() + "open/inner/y.txt";
    passed = harness.ready() && !harness.source().Finished() && AppendTo(written, "z") &&
             harness.WaitFor(engine::kKindWrite, "Schreiben", written);
  }
  return passed ? kChildPassed : kChildFailed;
}

TEST(UnreadableDirectoryTest, IsSkippedWhileTheRestIsWatched) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::_Exit(WatchTreeWithAnUnreadableDirectory()), ::testing::ExitedWithCode(0),
              "");
}

}  // namespace
}  // namespace tavrek::testing
