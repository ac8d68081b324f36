// A folder given through a link keeps the path as given; a folder on a mount
// of its own ends its watch when unmounted, and the watch does not keep the
// mount busy. (Each kind of event the kernel gives is covered by the source
// tests on both backends.)
#include <sys/mount.h>

#include <filesystem>

#include "file_ops.h"
#include "source_fixture.h"
#include "support/wait_until.h"

namespace tavrek::testing {
namespace {

using engine::kKindName;

// A bind mount of a folder, undone when it goes.
class BindMount {
 public:
  BindMount(const std::string& from, const std::string& onto) : onto_(onto) {
    mounted_ = mount(from.c_str(), onto.c_str(), nullptr, MS_BIND, nullptr) == 0;
  }
  ~BindMount() {
    if (mounted_) umount2(onto_.c_str(), MNT_DETACH);
  }
  bool mounted() const { return mounted_; }
  // A plain unmount: fails while anything keeps the file system busy.
  bool Unmount() {
    mounted_ = mounted_ && umount2(onto_.c_str(), 0) != 0;
    return !mounted_;
  }

 private:
  std::string onto_;
  bool mounted_ = false;
};

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
  BindMount bind(Path("source"), Path("w"));
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
