// A folder given through a link keeps the path as given; a folder on a mount
// of its own ends its watch when unmounted, and the watch does not keep the
// mount busy. (Each kind of event the kernel gives is covered by the source
// tests on both backends.)
#include <filesystem>

#include "file_ops.h"
#include "scoped_mount.h"
#include "source_fixture.h"
#include "support/wait_until.h"

namespace tavrek::testing {
namespace {

using engine::kKindName;

class LinkAndMountTest : public SourceTest {
 protected:
  void StartAt(const std::string& relative) {
    harness.emplace(Path(relative), GetParam());
    ASSERT_TRUE(harness->ready());
  }
};

TEST_P(LinkAndMountTest, AFolderGivenThroughALinkKeepsThePathAsGiven) {
  ASSERT_TRUE(MakeDirectory(Path("real")));
  std::filesystem::create_directory_symlink(Path("real"), Path("link"));
  StartAt("link/");
  ASSERT_TRUE(CreateEmpty(Path("real/f")));
  EXPECT_TRUE(harness->WaitFor(kKindName, engine::Action::kCreated, Path("link/f")));
}

TEST_P(LinkAndMountTest, AnUnmountEndsTheWatchThatDoesNotKeepTheMountBusy) {
  if (GetParam() == engine::BackendType::Inotify) {
    // Its watches stay on the folder's own inodes, which a bind mount's end
    // leaves in place: inotify is told of nothing.
    GTEST_SKIP() << "inotify hears nothing when a bind mount ends";
  }
  ASSERT_TRUE(MakeDirectory(Path("source")));
  ASSERT_TRUE(MakeDirectory(Path("w")));
  ScopedMount bind(Path("source").c_str(), Path("w"), nullptr, MS_BIND);
  if (!bind.mounted()) GTEST_SKIP() << "cannot bind-mount here";
  StartAt("w/");
  ASSERT_TRUE(CreateEmpty(Path("w/f")));
  ASSERT_TRUE(harness->WaitFor(kKindName, engine::Action::kCreated, Path("w/f")));
  // A drain opens directories by handle on the mount for a moment, also for
  // the records of other processes on this file system: an unmount at that
  // moment is refused, the next one goes through.
  EXPECT_TRUE(WaitUntil([&] { return bind.Unmount(); }));
  EXPECT_TRUE(WaitUntil([&] { return harness->source().Finished(); }));
}

TAVREK_FOR_EVERY_BACKEND(LinkAndMountTest);

}  // namespace
}  // namespace tavrek::testing
