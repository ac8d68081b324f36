// The fanotify backend on real folders: driven directly (start, poll, drain),
// as the folder source drives it. What the source tests cover on both
// backends (ends, sub-folders, reads, merged renames) is not repeated here.
#include <fcntl.h>
#include <poll.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "core/engine/backend/backend.h"
#include "support/temp_folder.h"
#include "support/wait_until.h"

namespace tavrek::engine {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;
using testing::WaitUntil;

constexpr int kPollSliceMs = 20;

struct Seen {
  RawAction action;
  std::string path;
  std::string oldPath = {};
};

class Watch {
 public:
  explicit Watch(const BackendSettings& settings) : backend_(MakeFanotifyBackend()) {
    std::string error;
    started_ = backend_->Start(settings, error);
    EXPECT_TRUE(started_) << error;
  }

  // Polls and drains until `done` holds or the bound passes.
  bool DrainUntil(const std::function<bool()>& done) {
    return WaitUntil([&] {
      if (started_ && !ended) DrainOnce();
      return done();
    });
  }

  // Every one of `expected`, in this order (other changes may come between).
  bool Saw(const std::vector<Seen>& expected) const {
    size_t next = 0;
    for (const RawChange& change : changes) {
      if (next == expected.size()) break;
      const Seen& want = expected[next];
      if (change.action == want.action && change.path == want.path &&
          change.oldPath == want.oldPath) {
        ++next;
      }
    }
    return next == expected.size();
  }

  bool SawPath(const std::string& path) const {
    for (const RawChange& change : changes) {
      if (change.path == path || change.oldPath == path) return true;
    }
    return false;
  }

  std::vector<RawChange> changes;
  bool ended = false;

 private:
  // As the folder source does: a mark sees the whole file system, so records
  // of other processes' deleted folders may wait; they are let go when the
  // kernel has nothing more to say.
  void DrainOnce() {
    std::vector<pollfd> fds;
    for (int fd : backend_->PollFds()) fds.push_back({fd, POLLIN | POLLPRI, 0});
    if (poll(fds.data(), fds.size(), kPollSliceMs) <= 0) {
      backend_->FlushPendingPairs(changes);
      return;
    }
    DrainResult result = backend_->Drain(changes);
    ended = ended || result.ended;
    EXPECT_EQ(result.overflows, 0u);
  }

  std::unique_ptr<Backend> backend_;
  bool started_ = false;
};

// A watched folder "w" and a folder "o" outside it, on one file system.
class FanotifyBackendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(watched_);
    fs::create_directory(outside_);
    if (!FanotifyUsable(watched_.string())) GTEST_SKIP() << "fanotify is not usable here";
  }

  BackendSettings Settings() const { return {shown_, true, false}; }
  std::string Shown(const std::string& relative) const { return shown_ + relative; }

  static void Write(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::app) << text;
  }

  TempFolder temp_;
  fs::path watched_ = temp_ / "w";
  fs::path outside_ = temp_ / "o";
  std::string shown_ = watched_.string() + "/";
};

TEST_F(FanotifyBackendTest, ReportsEachOperationWithItsPathAndOurPid) {
  Watch watch(Settings());
  const fs::path file = watched_ / "a.txt";
  Write(file, "");
  Write(file, "data");
  fs::create_directory(watched_ / "d1");
  fs::rename(watched_ / "d1", watched_ / "d2");
  fs::rename(file, watched_ / "d2" / "b.txt");  // into the renamed folder
  chmod((watched_ / "d2" / "b.txt").c_str(), 0600);
  fs::rename(watched_ / "d2" / "b.txt", outside_ / "b.txt");
  fs::rename(outside_ / "b.txt", watched_ / "c.txt");
  fs::remove(watched_ / "c.txt");
  const std::vector<Seen> expected = {
      {RawAction::kCreated, Shown("a.txt")},
      {RawAction::kModified, Shown("a.txt")},
      {RawAction::kCreated, Shown("d1")},
      {RawAction::kRenamed, Shown("d2"), Shown("d1")},
      {RawAction::kRenamed, Shown("d2/b.txt"), Shown("a.txt")},
      {RawAction::kAttrib, Shown("d2/b.txt")},
      {RawAction::kMovedOut, Shown("d2/b.txt")},
      {RawAction::kMovedIn, Shown("c.txt")},
      {RawAction::kDeleted, Shown("c.txt")},
  };
  EXPECT_TRUE(watch.DrainUntil([&] { return watch.Saw(expected); }));
  EXPECT_FALSE(watch.ended);
  for (const RawChange& change : watch.changes) {
    EXPECT_EQ(change.pid, getpid()) << change.path;
    EXPECT_EQ(change.isDirectory, change.path.find("/d1") != std::string::npos ||
                                      change.path == Shown("d2"))
        << change.path;
  }
}

TEST_F(FanotifyBackendTest, KeepsTheFolderPathAsGivenThroughALink) {
  fs::create_directory_symlink(watched_, temp_ / "link");
  const std::string linked = (temp_ / "link").string() + "/";
  Watch watch({linked, true, false});
  Write(watched_ / "f", "");
  EXPECT_TRUE(watch.DrainUntil([&] { return watch.SawPath(linked + "f"); }));
}

// A bind mount of a folder, undone when it goes.
class BindMount {
 public:
  BindMount(const fs::path& from, const fs::path& onto) : onto_(onto) {
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
  fs::path onto_;
  bool mounted_ = false;
};

TEST_F(FanotifyBackendTest, EndsOnUnmountAndNeverKeepsTheMountBusy) {
  fs::create_directory(outside_ / "source");
  BindMount bind(outside_ / "source", watched_);
  if (!bind.mounted()) GTEST_SKIP() << "cannot bind-mount here";
  Watch watch(Settings());
  Write(watched_ / "f", "");
  ASSERT_TRUE(watch.DrainUntil([&] { return watch.SawPath(Shown("f")); }));
  EXPECT_TRUE(bind.Unmount());
  EXPECT_TRUE(watch.DrainUntil([&] { return watch.ended; }));
}

}  // namespace
}  // namespace tavrek::engine
