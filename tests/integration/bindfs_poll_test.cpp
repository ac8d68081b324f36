// A folder beneath a FUSE mount is polled by the automatic choice: a file
// made behind the mount, where no kernel queue of this machine sees it, is
// reported under the mount.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/engine/backend/backend.h"
#include "file_ops.h"
#include "support/source_harness.h"
#include "support/temp_folder.h"

namespace tavrek::testing {
namespace {

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

TEST(BindfsPollTest, AFileMadeBehindAFuseMountIsReportedUnderIt) {
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
