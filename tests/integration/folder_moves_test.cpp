// The watched folder, or a folder above it, moved away, and folders that
// leave the tree and come back.
#include <filesystem>
#include <set>

#include "file_ops.h"
#include "source_fixture.h"
#include "support/wait_until.h"

namespace tavrek::testing {
namespace {

using engine::kKindName;
using engine::kKindWrite;

class FolderMovesTest : public SourceTest {
 protected:
  // Watches `relative` below the temporary folder instead of the folder itself.
  void StartBelow(const std::string& relative) {
    harness.emplace(Path(relative), GetParam());
    ASSERT_TRUE(harness->ready());
  }

  // The watch ended with one "Abbruch" per kind for the folder and reported
  // nothing else: every change here was made after the folder had gone.
  void ExpectEndedWithNothingElse(const std::string& watched) {
    ASSERT_TRUE(WaitUntil([&] { return harness->source().Finished(); }));
    std::set<int> ended;
    for (const engine::ChangeEvent& event : harness->events()) {
      if (event.action == "Abbruch" && event.path == watched) {
        EXPECT_TRUE(ended.insert(event.kindIndex).second) << int{event.kindIndex};
      } else {
        ADD_FAILURE() << event.action << " " << event.path;
      }
    }
    EXPECT_EQ(ended.size(), engine::kKindCount);
  }
};

TEST_P(FolderMovesTest, TheFolderRenamedEndsTheWatchAndNothingFollows) {
  ASSERT_TRUE(MakeDirectory(Path("w")));
  ASSERT_TRUE(MakeDirectory(Path("w/sub")));
  StartBelow("w/");
  ASSERT_TRUE(RenamePath(Path("w"), Path("w-rename")));
  ASSERT_TRUE(CreateEmpty(Path("w-rename/file")));
  ASSERT_TRUE(CreateEmpty(Path("w-rename/sub/file")));
  ExpectEndedWithNothingElse(Path("w"));
}

TEST_P(FolderMovesTest, AFolderAboveRenamedEndsTheWatchAndNothingFollows) {
  ASSERT_TRUE(MakeDirectory(Path("p")));
  ASSERT_TRUE(MakeDirectory(Path("p/w")));
  StartBelow("p/w/");
  ASSERT_TRUE(RenamePath(Path("p"), Path("p2")));
  ASSERT_TRUE(CreateEmpty(Path("p2/w/file")));
  ExpectEndedWithNothingElse(Path("p/w"));
}

TEST_P(FolderMovesTest, AFolderMovedOutAndStraightBackIsWatchedAgain) {
  TempFolder outside;
  folder.Write("d1/f", "x");
  Start();
  ASSERT_TRUE(RenamePath(Path("d1"), outside.slashed() + "d1"));
  ASSERT_TRUE(RenamePath(outside.slashed() + "d1", Path("d1")));
  // The two halves are not paired: the folder left, then came back.
  ASSERT_TRUE(harness->WaitFor(kKindName, "Löschen", Path("d1")));
  ASSERT_TRUE(harness->WaitFor(kKindName, "Erstellen", Path("d1")));
  ASSERT_TRUE(AppendTo(Path("d1/f"), "later"));
  ASSERT_TRUE(CreateEmpty(Path("d1/new")));
  EXPECT_TRUE(harness->WaitFor(kKindWrite, "Schreiben", Path("d1/f")));
  EXPECT_TRUE(harness->WaitFor(kKindName, "Erstellen", Path("d1/new")));
}

TAVREK_FOR_EVERY_BACKEND(FolderMovesTest);

}  // namespace
}  // namespace tavrek::testing
