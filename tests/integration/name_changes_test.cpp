// Creations, deletions, moves and renames as the name and creation-time
// watchers report them. Changes beside the watched folder stay out of the
// log, and a folder moved in or out is watched or left from then on, even
// once the watch has seen changes in it while it was elsewhere (only
// fanotify sees changes outside: inotify watches the folder's tree alone).
#include <filesystem>

#include "file_ops.h"
#include "source_fixture.h"

namespace tavrek::testing {
namespace {

using engine::kKindCreation;
using engine::kKindName;
using engine::kKindWrite;

class NameChangesTest : public SourceTest {};

TEST_P(NameChangesTest, MovingInAndOutReportsCreationAndDeletion) {
  TempFolder outside;
  outside.Write("in.txt", "x");
  outside.Write("indir/inner.txt", "x");
  Start();
  ASSERT_TRUE(RenamePath(outside.slashed() + "in.txt", Path("in.txt")));
  ASSERT_TRUE(RenamePath(outside.slashed() + "indir", Path("indir")));
  EXPECT_TRUE(harness->WaitFor(kKindName, engine::Action::kCreated, Path("in.txt")));
  EXPECT_TRUE(harness->WaitFor(kKindCreation, engine::Action::kChanged, Path("in.txt")));
  EXPECT_TRUE(harness->WaitFor(kKindName, engine::Action::kCreated, Path("indir")));
  // What a moved-in folder holds is watched. inotify watches it only once its
  // arrival is read and cannot tell what was made in it meanwhile from what
  // it brought, so its scan lists everything, once; fanotify sees it all.
  ASSERT_TRUE(AppendTo(Path("indir/inner.txt"), "y"));
  EXPECT_TRUE(harness->WaitFor(kKindWrite, engine::Action::kWritten, Path("indir/inner.txt")));
  EXPECT_EQ(harness->Count(kKindName, engine::Action::kCreated, Path("indir/inner.txt")),
            GetParam() == engine::BackendType::Inotify ? 1 : 0);

  ASSERT_TRUE(RenamePath(Path("in.txt"), outside.slashed() + "out.txt"));
  ASSERT_TRUE(RenamePath(Path("indir"), outside.slashed() + "outdir"));
  EXPECT_TRUE(harness->WaitFor(kKindName, engine::Action::kDeleted, Path("in.txt")));
  EXPECT_TRUE(harness->WaitFor(kKindName, engine::Action::kDeleted, Path("indir")));
  // A folder moved out is no longer watched.
  harness->Forget();
  ASSERT_TRUE(AppendTo(outside.slashed() + "outdir/inner.txt", "z"));
  ASSERT_TRUE(harness->Settle());
  for (const engine::ChangeEvent& event : harness->events()) {
    EXPECT_EQ(event.path.find("/indir/"), std::string::npos) << event.path;
  }
}

TEST_P(NameChangesTest, AFolderCreatedAndFilledAtOnceIsReportedCompletelyAndOnce) {
  constexpr int kRounds = 5;
  constexpr int kDepth = 4;
  constexpr int kFilesPerLevel = 3;
  Start();
  std::vector<std::string> expected;
  for (int round = 0; round < kRounds; ++round) {
    std::string directory = Path("round" + std::to_string(round));
    for (int level = 0; level < kDepth; ++level) {
      ASSERT_TRUE(MakeDirectory(directory));
      expected.push_back(directory);
      for (int file = 0; file < kFilesPerLevel; ++file) {
        const std::string path = directory + "/file" + std::to_string(file);
        ASSERT_TRUE(AppendTo(path, "content"));
        expected.push_back(path);
      }
      directory += "/level" + std::to_string(level + 1);
    }
  }
  ASSERT_TRUE(harness->Settle());
  for (const std::string& path : expected) {
    EXPECT_EQ(harness->Count(kKindName, engine::Action::kCreated, path), 1) << path;
    EXPECT_EQ(harness->Count(kKindCreation, engine::Action::kChanged, path), 1) << path;
  }
}

TEST_P(NameChangesTest, PathsStayRightThroughQuickDirectoryChurn) {
  constexpr int kRounds = 40;
  constexpr int kMovedOutEvery = 3;
  TempFolder outside;
  Start();
  // Renamed before the source has read their creation, filled while it scans.
  std::vector<std::string> kept;
  for (int round = 0; round < kRounds; ++round) {
    const std::string name = std::to_string(round);
    ASSERT_TRUE(MakeDirectory(Path("t" + name)));
    ASSERT_TRUE(MakeDirectory(Path("t" + name + "/s")));
    ASSERT_TRUE(RenamePath(Path("t" + name), Path("u" + name)));
    ASSERT_TRUE(MakeDirectory(Path("u" + name + "/s/deep")));
    ASSERT_TRUE(RenamePath(Path("u" + name + "/s"), Path("u" + name + "/r")));
    if (round % kMovedOutEvery == 0) {
      ASSERT_TRUE(RenamePath(Path("u" + name), outside.slashed() + name));
    } else {
      kept.push_back("u" + name + "/r/deep/");
    }
  }
  ASSERT_TRUE(harness->Settle());
  harness->Forget();
  for (const std::string& directory : kept) ASSERT_TRUE(CreateEmpty(Path(directory + "x")));
  for (int round = 0; round < kRounds; round += kMovedOutEvery) {
    ASSERT_TRUE(CreateEmpty(outside.slashed() + std::to_string(round) + "/r/deep/x"));
  }
  ASSERT_TRUE(harness->Settle());
  std::vector<std::string> created;
  for (const engine::ChangeEvent& event : harness->events()) {
    if (event.kindIndex == kKindName && event.path.find("settle-marker") == std::string::npos) {
      created.push_back(event.path);
    }
  }
  std::vector<std::string> expected;
  for (const std::string& directory : kept) expected.push_back(Path(directory + "x"));
  EXPECT_EQ(created, expected);
}

TEST_P(NameChangesTest, AFolderMovedOutAndStraightBackIsWatchedAgain) {
  TempFolder outside;
  folder.Write("d1/f", "x");
  Start();
  ASSERT_TRUE(RenamePath(Path("d1"), outside.slashed() + "d1"));
  ASSERT_TRUE(RenamePath(outside.slashed() + "d1", Path("d1")));
  // The two halves are not paired: the folder left, then came back.
  ASSERT_TRUE(harness->WaitFor(kKindName, engine::Action::kDeleted, Path("d1")));
  ASSERT_TRUE(harness->WaitFor(kKindName, engine::Action::kCreated, Path("d1")));
  ASSERT_TRUE(AppendTo(Path("d1/f"), "later"));
  ASSERT_TRUE(CreateEmpty(Path("d1/new")));
  EXPECT_TRUE(harness->WaitFor(kKindWrite, engine::Action::kWritten, Path("d1/f")));
  EXPECT_TRUE(harness->WaitFor(kKindName, engine::Action::kCreated, Path("d1/new")));
}

TEST_P(NameChangesTest, AFolderKnownOutsideIsWatchedOnceMovedInAndLeftOnceMovedOut) {
  if (GetParam() == engine::BackendType::Inotify) GTEST_SKIP() << "inotify sees nothing outside";
  TempFolder outside;
  outside.Write("dir/file.txt", "x");
  Start();
  // Written outside, then inside: once the inside write shows, the outside
  // one has been read and its folder placed outside.
  for (const char* round : {"1", "2"}) {
    ASSERT_TRUE(AppendTo(outside.slashed() + "dir/file.txt", round));
    ASSERT_TRUE(AppendTo(Path("marker.txt"), round));
    ASSERT_TRUE(harness->WaitFor(kKindWrite, engine::Action::kWritten, Path("marker.txt")));
    harness->Forget();
  }
  ASSERT_TRUE(RenamePath(outside.slashed() + "dir", Path("dir")));
  ASSERT_TRUE(AppendTo(Path("dir/file.txt"), "in"));
  EXPECT_TRUE(harness->WaitFor(kKindWrite, engine::Action::kWritten, Path("dir/file.txt")));

  ASSERT_TRUE(RenamePath(Path("dir"), outside.slashed() + "dir"));
  harness->Forget();
  ASSERT_TRUE(AppendTo(outside.slashed() + "dir/file.txt", "out"));
  ASSERT_TRUE(AppendTo(Path("marker.txt"), "3"));
  ASSERT_TRUE(harness->WaitFor(kKindWrite, engine::Action::kWritten, Path("marker.txt")));
  ASSERT_TRUE(harness->Settle());
  for (const engine::ChangeEvent& event : harness->events()) {
    EXPECT_EQ(event.path.find("file.txt"), std::string::npos) << event.path;
  }
}

TAVREK_FOR_EVERY_BACKEND(NameChangesTest);

}  // namespace
}  // namespace tavrek::testing
