// Starting, ending and stopping a folder source.
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
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

class SourceLifecycleTest : public SourceTest {};

// The watched folder goes, or was never there: the watch ends with one
// "Abbruch" per running kind, naming the folder without its trailing "/" (as
// the start and stop rows do), and nothing made after it is reported.
struct EndCase {
  const char* what;
  const char* watched;  // made below the temporary folder, holding sub/f.txt
  std::function<bool(const std::string& temporary)> end;
  bool deletionReported = false;  // of sub/f.txt, before the end
};

const EndCase kEnds[] = {
    {"renamed", "w",
     [](const std::string& t) {
       return RenamePath(t + "w", t + "w2") && CreateEmpty(t + "w2/file") &&
              CreateEmpty(t + "w2/sub/file");
     }},
    {"a folder above renamed", "p/w",
     [](const std::string& t) {
       return RenamePath(t + "p", t + "p2") && CreateEmpty(t + "p2/w/file");
     }},
    {"deleted", "w", [](const std::string& t) { return std::filesystem::remove_all(t + "w") > 0; },
     true},
    {"never there", "missing", nullptr},
};

TEST_P(SourceLifecycleTest, AFolderThatGoesOrWasNeverThereEndsEveryRunningKindOnce) {
  for (const EndCase& c : kEnds) {
    SCOPED_TRACE(c.what);
    const std::string watched = Path(c.watched);
    if (c.end) folder.Write(std::string(c.watched) + "/sub/f.txt", "x");
    harness.emplace(watched + "/", GetParam(), SomeKinds());
    if (c.end) {
      ASSERT_TRUE(c.end(folder.slashed()));
    }
    ASSERT_TRUE(WaitUntil([&] { return harness->source().Finished(); }));
    std::multiset<int> ended;
    for (const engine::ChangeEvent& event : harness->events()) {
      if (event.action == engine::Action::kEnded && event.path == watched) {
        EXPECT_EQ(event.image(), engine::kActionEnded);
        ended.insert(event.kindIndex);
      } else if (!c.deletionReported) {
        ADD_FAILURE() << engine::ActionText(event.action) << " " << event.path;
      }
    }
    EXPECT_EQ(ended, (std::multiset<int>{engine::kKindName, engine::kKindWrite, engine::kKindSecurity}));
    if (c.deletionReported) {
      EXPECT_EQ(harness->Count(kKindName, engine::Action::kDeleted, watched + "/sub/f.txt"), 1);
    }
  }
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

// A program that starts the moment the watch is ready: new folders, then
// files spread round them as fast as it can.
TEST_P(SourceLifecycleTest, ABurstStartedTheMomentTheWatchIsReadyLosesNoneOfItsFirstCreations) {
  constexpr int kFolders = 20;
  constexpr int kFilesEach = 50;
  Start();
  for (int index = 0; index < kFolders; ++index) {
    ASSERT_TRUE(MakeDirectory(Path("d" + std::to_string(index))));
  }
  std::set<std::string> missing;
  for (int file = 0; file < kFilesEach; ++file) {
    for (int index = 0; index < kFolders; ++index) {
      const std::string path = Path("d" + std::to_string(index) + "/f" + std::to_string(file));
      ASSERT_TRUE(CreateEmpty(path));
      missing.insert(path);
    }
  }
  ASSERT_TRUE(harness->Settle());
  for (const engine::ChangeEvent& event : harness->events()) {
    if (event.kindIndex == kKindName && event.action == engine::Action::kCreated) {
      missing.erase(event.path);
    }
  }
  EXPECT_EQ(missing.size(), 0u) << "first missing: " << (missing.empty() ? "" : *missing.begin());
}

TEST_P(SourceLifecycleTest, WithoutSubtreeOnlyTheFolderItselfIsWatched) {
  ASSERT_TRUE(MakeDirectory(Path("sub")));
  Start(AllKinds(), false);
  ASSERT_TRUE(AppendTo(Path("sub/f.txt"), "x"));
  ASSERT_TRUE(MakeDirectory(Path("new")));
  ASSERT_TRUE(AppendTo(Path("new/g.txt"), "x"));
  ASSERT_TRUE(AppendTo(Path("top.txt"), "x"));
  EXPECT_TRUE(harness->WaitFor(kKindName, engine::Action::kCreated, Path("top.txt")));
  EXPECT_TRUE(harness->WaitFor(kKindName, engine::Action::kCreated, Path("new")));
  ASSERT_TRUE(harness->Settle());
  for (const engine::ChangeEvent& event : harness->events()) {
    EXPECT_TRUE(event.path.find("/sub/") == std::string::npos &&
                event.path.find("/new/") == std::string::npos)
        << event.path;
  }
}

TAVREK_FOR_EVERY_BACKEND(SourceLifecycleTest);

// By each backend that walks the tree, as nobody (root reads folders without
// permission): three locked directories at the start give one row naming the
// first and the count of the others, said once and not once per pass; one
// made later a row of its own; the rest of the tree is watched all the while.
bool WatchTreeWithUnreadableDirectories(engine::BackendType backend) {
  TempFolder folder;
  for (const std::string locked : {"locked", "locked-b", "locked-c"}) {
    folder.Write(locked + "/inner/x", "x");
    if (chmod((folder / locked).c_str(), 0) != 0) return false;
  }
  const std::string written = folder.Write("open/inner/y.txt", "y").string();
  SourceHarness harness(folder.slashed(), backend);
  const bool watched = harness.ready() && !harness.source().Finished() && AppendTo(written, "z") &&
                       harness.WaitFor(
                           [&](const engine::ChangeEvent& event) {
                             return event.path == written && event.action == engine::Action::kWritten;
                           },
                           std::chrono::seconds(30));
  const std::string row = "Kein Zugriff: |" + folder.slashed();
  const auto denied = [&](const std::string& name) {
    return std::ranges::count_if(harness.notes(), [&](const std::string& note) {
      return note.starts_with(row + name) && (name == "later" || note.ends_with(" +2 weitere"));
    });
  };
  const bool passed = watched && WaitUntil([&] { return denied("locked") == 1; }) &&
                      std::ranges::count_if(harness.notes(), [](const std::string& note) {
                        return note.starts_with("Kein Zugriff: ");
                      }) == 1 &&
                      // Made without any permission at once: its scan cannot read it.
                      mkdir((folder.slashed() + "later").c_str(), 0) == 0 &&
                      WaitUntil([&] { return denied("later") == 1; }) && denied("locked") == 1;
  for (const std::string& note : harness.notes()) std::fprintf(stderr, "row: %s\n", note.c_str());
  return passed;
}

int WatchTreesWithUnreadableDirectories() {
  constexpr uid_t kNobody = 65534;
  if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setresgid(kNobody, kNobody, kNobody) != 0 ||
                         setresuid(kNobody, kNobody, kNobody) != 0)) {
    return EXIT_FAILURE;
  }
  for (const engine::BackendType backend : {engine::BackendType::Inotify, engine::BackendType::Poll}) {
    if (!WatchTreeWithUnreadableDirectories(backend)) {
      std::fprintf(stderr, "failed with %s\n", std::string(engine::BackendName(backend)).c_str());
      return EXIT_FAILURE;
    }
  }
  return EXIT_SUCCESS;
}

TEST(UnreadableDirectoryTest, IsSaidOncePerWalkWhileTheRestIsWatched) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::_Exit(WatchTreesWithUnreadableDirectories()), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace tavrek::testing
