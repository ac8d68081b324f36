// Changes beside the watched folder stay out of the log, and a folder moved
// in or out is watched or left from then on, even once the watch has seen
// changes in it while it was elsewhere. Only fanotify sees changes outside:
// inotify watches the folder's own tree and nothing else.
#include "file_ops.h"
#include "source_fixture.h"

namespace tavrek::testing {
namespace {

using engine::kKindWrite;

class OutsideChangesTest : public SourceTest {};

TEST_P(OutsideChangesTest, AFolderKnownOutsideIsWatchedOnceMovedInAndLeftOnceMovedOut) {
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

INSTANTIATE_TEST_SUITE_P(Backends, OutsideChangesTest,
                         ::testing::Values(engine::BackendType::Fanotify), BackendTestName);

}  // namespace
}  // namespace tavrek::testing
