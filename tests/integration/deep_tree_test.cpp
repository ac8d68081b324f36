// A tree deeper than any path the kernel takes in one call: changes at its
// bottom are reported, with their whole path, by every backend, and the way
// from a directory handle to its path goes down there too.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "core/engine/backend/fanotify/fanotify_kernel.h"
#include "source_fixture.h"

namespace tavrek::testing {
namespace {

using engine::BackendType;

constexpr int kDepth = 60;
const std::string kName(200, 'd');
// Beside the deep folder at each level: walked after it (its name sorts first).
const std::string kAside = "a";

// Folders nested `kDepth` deep, made and removed through descriptors (their
// paths are too long to name); level N is the folder N steps below the top.
// Each level holds a folder `kAside` as well.
class NestedFolders {
 public:
  explicit NestedFolders(const std::string& top) {
    levels_.push_back(open(top.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    for (int level = 1; level <= kDepth && levels_.back() >= 0; ++level) {
      const int parent = levels_.back();
      mkdirat(parent, kAside.c_str(), 0755);
      mkdirat(parent, kName.c_str(), 0755);
      levels_.push_back(openat(parent, kName.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    }
  }
  ~NestedFolders() {
    for (size_t level = levels_.size(); level-- > 0;) {
      for (const std::string& file : files_) unlinkat(levels_[level], file.c_str(), 0);
      unlinkat(levels_[level], kAside.c_str(), AT_REMOVEDIR);
      if (level + 1 < levels_.size()) unlinkat(levels_[level], kName.c_str(), AT_REMOVEDIR);
      if (levels_[level] >= 0) close(levels_[level]);
    }
  }
  bool made() const { return levels_.size() == kDepth + 1 && levels_.back() >= 0; }
  int fd(int level) const { return levels_[level]; }
  // The folder at the level, below the top, ending in "/".
  static std::string Relative(int level) {
    std::string relative;
    for (int step = 0; step < level; ++step) relative += kName + "/";
    return relative;
  }
  // Makes a file at the level (`file` may start with kAside + "/"); its path
  // below the top.
  std::string Create(int level, const std::string& file) {
    files_.push_back(file);
    const int made = openat(levels_[level], file.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    if (made >= 0) close(made);
    return made >= 0 ? Relative(level) + file : std::string();
  }

 private:
  std::vector<int> levels_;
  std::vector<std::string> files_;
};

class DeepTreeTest : public SourceTest {};

TEST_P(DeepTreeTest, FilesMadeBelowTheLongestPathAreReportedWithTheirPath) {
  NestedFolders tree(folder.path().string());
  ASSERT_TRUE(tree.made());
  Start();
  // Made together, so that one pass of polling finds them all; the last is
  // reached only by climbing back from the bottom.
  std::vector<std::pair<int, std::string>> made;
  for (const int level : {19, 21, 40, kDepth, 2}) {
    const std::string name = (level == 2 ? kAside + "/f" : "f") + std::to_string(level);
    const std::string relative = tree.Create(level, name);
    ASSERT_FALSE(relative.empty());
    made.emplace_back(level, Path(relative));
  }
  for (const auto& [level, path] : made) {
    EXPECT_TRUE(harness->WaitFor(
        [&](const engine::ChangeEvent& event) {
          return event.path == path && event.action == engine::Action::kCreated;
        },
        std::chrono::seconds(30)))
        << "level " << level;
  }
  // Its status is read down there too: a mode change is a security change.
  ASSERT_EQ(fchmodat(tree.fd(kDepth), ("f" + std::to_string(kDepth)).c_str(), 0600, 0), 0);
  // A name made beside it has polling read that folder whole at its next
  // pass, instead of when the folder's turn comes round.
  ASSERT_FALSE(tree.Create(kDepth, "g").empty());
  const std::string bottom = Path(NestedFolders::Relative(kDepth) + "f" + std::to_string(kDepth));
  EXPECT_TRUE(harness->WaitFor(
      [&](const engine::ChangeEvent& event) {
        return event.path == bottom && event.kindIndex == engine::kKindSecurity;
      },
      std::chrono::seconds(30)));
  if (GetParam() != BackendType::Poll) return;
  const std::string polled = "Überwachung: " + std::to_string(2 * kDepth + 1) + " Ordner abgefragt";
  const std::vector<std::string> notes = harness->notes();
  EXPECT_TRUE(std::any_of(notes.begin(), notes.end(),
                          [&](const std::string& note) { return note.starts_with(polled); }));
}

// From a directory's handle to its path; where the climb is cut short, the
// directory is counted once, for the status row of the folder it lies in.
TEST(FanotifyHandleOpenerTest, NamesADeepDirectoryOrCountsItOnceAsUnnamed) {
  if (geteuid() != 0) GTEST_SKIP() << "opening a directory by its handle needs root";
  TempFolder folder;
  NestedFolders tree(folder.path().string());
  ASSERT_TRUE(tree.made());
  const auto probed = engine::ProbeEntry(tree.fd(kDepth - 1), kName);
  const auto identity = engine::IdentifyFolder(folder.path().string());
  ASSERT_TRUE(probed && !probed->object.empty() && identity);
  const engine::FanotifyFileKey& key = probed->object;
  const std::string mount = engine::MountRootOf(folder.path().string(), identity->mountId);
  std::string expected = folder.slashed() + NestedFolders::Relative(kDepth);
  expected.pop_back();
  for (const size_t climb : {engine::FanotifyDeepPaths::kMaxClimb, size_t{1}}) {
    engine::FanotifyHandleOpener opener(mount, climb);
    ASSERT_TRUE(opener.CountUnnamedBelow(folder.path().string()));
    const bool named = climb > 1;
    EXPECT_EQ(opener.DirectoryPath(key), named ? std::optional(expected) : std::nullopt);
    EXPECT_EQ(opener.ParentEntry(key)->name, kName);
    opener.DirectoryPath(key);
    EXPECT_EQ(opener.TakeUnnamed(), named ? 0u : 1u);
  }
}

INSTANTIATE_TEST_SUITE_P(Backends, DeepTreeTest,
                         ::testing::Values(BackendType::Fanotify, BackendType::Poll),
                         BackendTestName);

}  // namespace
}  // namespace tavrek::testing
