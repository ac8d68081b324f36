// The log of names is a faithful history: replayed from the tree as it was
// at the start (created, deleted, renamed), it gives the tree as it is at the
// end, and no step of it acts on a name that the replay does not have. Random
// bursts of operations done as fast as one process can, so that the kernel
// merges and reorders what it queues.
#include <algorithm>
#include <filesystem>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <vector>

#include "file_ops.h"
#include "source_fixture.h"

namespace tavrek::testing {
namespace {

namespace fs = std::filesystem;

constexpr int kOperationsPerRun = 300;
constexpr unsigned kSeeds[] = {1, 2, 3, 4, 5, 6};

using Tree = std::map<std::string, bool>;  // relative path -> is a folder

// Which operations a burst does besides creating, writing and deleting (which
// every burst does, so no burst of those alone is run).
struct Mix {
  bool renames = false;   // renames within the tree, also straight back and forth
  bool movesOut = false;  // moves out of the tree, and back in under new names
};

bool IsAtOrBelow(const std::string& path, const std::string& top) {
  return path == top || path.starts_with(top + "/");
}

std::string Join(const std::string& folder, const std::string& name) {
  return folder.empty() ? name : folder + "/" + name;
}

// Moves `from` and everything below it to `to` within a tree.
void MoveWithin(Tree& tree, const std::string& from, const std::string& to) {
  Tree moved;
  for (auto it = tree.begin(); it != tree.end();) {
    if (IsAtOrBelow(it->first, from)) {
      moved[to + it->first.substr(from.size())] = it->second;
      it = tree.erase(it);
    } else {
      ++it;
    }
  }
  tree.merge(moved);
}

void EraseWithin(Tree& tree, const std::string& top) {
  std::erase_if(tree, [&](const auto& entry) { return IsAtOrBelow(entry.first, top); });
}

// Does random operations on the watched folder and keeps a model of it. Every
// new name is fresh, except where a rename goes straight back.
class Burst {
 public:
  Burst(std::string root, std::string outside, unsigned seed)
      : root_(std::move(root)), outside_(std::move(outside)), random_(seed) {}

  Tree& tree() { return tree_; }
  // The contents of folders moved in, which the log need not list (it may,
  // once, after the folder): by the folder's name (every name is fresh; the
  // path the log gives it may be an earlier one of a folder above), as paths
  // below it.
  const std::map<std::string, Tree>& movedIn() const { return movedIn_; }

  bool Step(const Mix& mix) {
    switch (Pick(10)) {
      case 0: case 1: return CreateFile();
      case 2: return MakeFolder();
      case 3: return WriteFile();
      case 4: case 5: return !mix.renames || RenameSomething();
      case 6: return !mix.renames || RenameBackAndForth();
      case 7: return !mix.movesOut || MoveOut();
      case 8: return !mix.movesOut || MoveBackIn();
      default: return Delete();
    }
  }

 private:
  size_t Pick(size_t count) { return std::uniform_int_distribution<size_t>(0, count - 1)(random_); }
  std::string Fresh() { return "n" + std::to_string(++names_); }
  std::string Full(const std::string& relative) const { return root_ + relative; }

  std::vector<std::string> Entries(bool foldersOnly) const {
    std::vector<std::string> found;
    for (const auto& [path, isFolder] : tree_) {
      if (isFolder || !foldersOnly) found.push_back(path);
    }
    return found;
  }
  std::string AnyFolder() {
    std::vector<std::string> folders = Entries(true);
    folders.push_back("");
    return folders[Pick(folders.size())];
  }
  std::optional<std::string> AnyEntry() {
    std::vector<std::string> entries = Entries(false);
    if (entries.empty()) return std::nullopt;
    return entries[Pick(entries.size())];
  }

  bool CreateFile() {
    const std::string path = Join(AnyFolder(), Fresh());
    tree_[path] = false;
    return AppendTo(Full(path), "x");
  }
  bool MakeFolder() {
    const std::string path = Join(AnyFolder(), Fresh());
    tree_[path] = true;
    return MakeDirectory(Full(path));
  }
  bool WriteFile() {
    std::optional<std::string> path = AnyEntry();
    return !path || tree_[*path] || AppendTo(Full(*path), "y");
  }
  bool Rename(const std::string& from, const std::string& to) {
    MoveWithin(tree_, from, to);
    return RenamePath(Full(from), Full(to));
  }
  bool RenameSomething() {
    std::optional<std::string> from = AnyEntry();
    if (!from) return true;
    std::string folder = AnyFolder();
    if (IsAtOrBelow(folder, *from)) folder.clear();
    return Rename(*from, Join(folder, Fresh()));
  }
  // a -> b, b -> a, ... : identical renames, which the kernel merges.
  bool RenameBackAndForth() {
    std::optional<std::string> first = AnyEntry();
    if (!first) return true;
    const std::string second = Join(fs::path(*first).parent_path().string(), Fresh());
    const size_t times = 1 + Pick(5);
    for (size_t i = 0; i < times; ++i) {
      if (!Rename(*first, second) || !Rename(second, *first)) return false;
    }
    return Pick(2) == 0 || Rename(*first, second);
  }
  bool MoveOut() {
    std::optional<std::string> from = AnyEntry();
    if (!from) return true;
    const std::string name = Fresh();
    Tree& kept = outside_items_[name];
    for (const auto& [path, isFolder] : tree_) {
      if (IsAtOrBelow(path, *from)) kept[path.substr(from->size())] = isFolder;
    }
    EraseWithin(tree_, *from);
    return RenamePath(Full(*from), outside_ + name);
  }
  bool MoveBackIn() {
    if (outside_items_.empty()) return true;
    auto item = std::next(outside_items_.begin(), static_cast<long>(Pick(outside_items_.size())));
    const std::string to = Join(AnyFolder(), Fresh());
    for (const auto& [suffix, isFolder] : item->second) tree_[to + suffix] = isFolder;
    Tree inside;
    for (const auto& [suffix, isFolder] : item->second) {
      if (!suffix.empty()) inside[suffix] = isFolder;
    }
    if (!inside.empty()) movedIn_[fs::path(to).filename().string()] = std::move(inside);
    const bool moved = RenamePath(outside_ + item->first, Full(to));
    outside_items_.erase(item);
    return moved;
  }
  bool Delete() {
    std::optional<std::string> path = AnyEntry();
    if (!path) return true;
    EraseWithin(tree_, *path);
    std::error_code error;
    fs::remove_all(Full(*path), error);
    return !error;
  }

  std::string root_;
  std::string outside_;
  std::mt19937 random_;
  int names_ = 0;
  Tree tree_;
  std::map<std::string, Tree> outside_items_;
  std::map<std::string, Tree> movedIn_;
};

// Replays the name rows of a log onto a tree of paths, noting every step that
// acts on a name the replay does not have (or already has).
class Replay {
 public:
  // `unseenInside`: a folder moved in is watched only once its arrival is
  // read (inotify), so what it brought may be listed after it, once, or leave
  // unseen before that.
  Replay(std::string root, Tree start, std::map<std::string, Tree> movedIn, bool unseenInside)
      : root_(std::move(root)),
        tree_(std::move(start)),
        movedIn_(std::move(movedIn)),
        unseenInside_(unseenInside) {}

  void Apply(const engine::ChangeEvent& event) {
    if (event.kindIndex != engine::kKindName || !event.path.starts_with(root_)) return;
    const std::string path = event.path.substr(root_.size());
    if (event.action == engine::Action::kCreated) {
      // What a folder brought may be listed after it, once.
      Expect(!tree_.contains(path) || brought_.erase(path) > 0, "created twice", path);
      tree_[path] = false;
      if (auto inside = movedIn_.find(fs::path(path).filename().string());
          inside != movedIn_.end()) {
        for (const auto& [suffix, isFolder] : inside->second) {
          tree_[path + suffix] = isFolder;
          if (unseenInside_) brought_[path + suffix] = isFolder;
        }
        movedIn_.erase(inside);
      }
    } else if (event.action == engine::Action::kDeleted) {
      Expect(tree_.contains(path), "deleted but not there", path);
      EraseWithin(tree_, path);
      EraseWithin(brought_, path);
    } else if (event.action == engine::Action::kRenamedPaired) {
      const std::string old = event.oldPath.substr(root_.size());
      Expect(tree_.contains(old), "renamed from a name not there", old + " -> " + path);
      // What a folder brought may have left before the log could see it.
      Expect(!tree_.contains(path) || brought_.erase(path) > 0, "renamed onto a name taken",
             old + " -> " + path);
      EraseWithin(tree_, path);
      EraseWithin(brought_, path);
      MoveWithin(tree_, old, path);
      brought_.erase(old);
      MoveWithin(brought_, old, path);
    }
  }

  // Forgets what folders brought, the log never named, and is not there.
  void ForgetUnseenDepartures(const std::set<std::string>& onDisk) {
    for (const auto& [path, isFolder] : brought_) {
      if (!onDisk.contains(path)) EraseWithin(tree_, path);
    }
  }

  std::set<std::string> Paths() const {
    std::set<std::string> paths;
    for (const auto& entry : tree_) paths.insert(entry.first);
    return paths;
  }
  const std::vector<std::string>& faults() const { return faults_; }

 private:
  void Expect(bool holds, const char* what, const std::string& path) {
    if (!holds) faults_.push_back(std::string(what) + ": " + path);
  }

  std::string root_;
  Tree tree_;
  std::map<std::string, Tree> movedIn_;
  bool unseenInside_;
  Tree brought_;  // entries brought by a folder moved in, not yet named by the log
  std::vector<std::string> faults_;
};

std::set<std::string> PathsOnDisk(const fs::path& root) {
  std::set<std::string> paths;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    paths.insert(fs::relative(entry.path(), root).string());
  }
  return paths;
}

std::string Listed(const std::vector<std::string>& lines) {
  std::ostringstream text;
  for (size_t i = 0; i < lines.size() && i < 10; ++i) text << "\n  " << lines[i];
  return text.str();
}

class ReplayPropertyTest : public SourceTest {
 protected:
  // A small tree that exists before the watch starts.
  Tree MakeStartingTree() {
    Tree start;
    for (const char* folder : {"old", "old/deep", "other"}) {
      EXPECT_TRUE(MakeDirectory(Path(folder)));
      start[folder] = true;
    }
    for (const char* file : {"old/f", "old/deep/g", "top"}) {
      EXPECT_TRUE(AppendTo(Path(file), "z"));
      start[file] = false;
    }
    return start;
  }

  void RunSeed(const Mix& mix, unsigned seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    StartAfresh();
    TempFolder outside;
    Tree start = MakeStartingTree();
    engine::KindSet names{};
    names[engine::kKindName] = true;
    Start(names);
    Burst burst(folder.slashed(), outside.slashed(), seed);
    burst.tree() = start;
    for (int i = 0; i < kOperationsPerRun; ++i) ASSERT_TRUE(burst.Step(mix)) << "operation " << i;
    ASSERT_TRUE(harness->Settle());
    std::set<std::string> modelled{"settle-marker-1"};
    for (const auto& entry : burst.tree()) modelled.insert(entry.first);
    ASSERT_EQ(modelled, PathsOnDisk(folder.path())) << "the test's own model is wrong";
    const bool inotify = GetParam() == engine::BackendType::Inotify;
    Replay replay(folder.slashed(), start, burst.movedIn(), inotify);
    for (const engine::ChangeEvent& event : harness->events()) replay.Apply(event);
    replay.ForgetUnseenDepartures(PathsOnDisk(folder.path()));
    EXPECT_TRUE(replay.faults().empty()) << Listed(replay.faults());
    ExpectSame(replay.Paths(), PathsOnDisk(folder.path()));
  }

  // Each seed begins on an empty folder with a new watch, whatever the last one left.
  void StartAfresh() {
    harness.reset();
    for (const fs::directory_entry& entry : fs::directory_iterator(folder.path())) {
      fs::remove_all(entry.path());
    }
  }

  static void ExpectSame(const std::set<std::string>& replayed,
                         const std::set<std::string>& onDisk) {
    std::vector<std::string> onlyReplayed;
    std::vector<std::string> onlyOnDisk;
    std::ranges::set_difference(replayed, onDisk, std::back_inserter(onlyReplayed));
    std::ranges::set_difference(onDisk, replayed, std::back_inserter(onlyOnDisk));
    EXPECT_TRUE(onlyReplayed.empty()) << "replayed, not on disk:" << Listed(onlyReplayed);
    EXPECT_TRUE(onlyOnDisk.empty()) << "on disk, not replayed:" << Listed(onlyOnDisk);
  }
};

// On inotify, three runs at once beside other builds, a rare race between the
// scans and the renames still fails about one run of the mixed bursts in a
// thousand (none of the renames or of the moves out and back in in 900). A
// sanitizer's slowdown widens such races: there the inotify runs are left to
// the build without one, which repeats them.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
constexpr const char* kInotifySanitizedRaces =
    "inotify under a sanitizer: rare races widened by its slowdown (run without one)";

TEST_P(ReplayPropertyTest, RenamesWithinTheTree) {
  if (kSanitized && GetParam() == engine::BackendType::Inotify) GTEST_SKIP() << kInotifySanitizedRaces;
  for (unsigned seed : kSeeds) RunSeed({.renames = true}, seed);
}

TEST_P(ReplayPropertyTest, MovesOutAndBackIn) {
  if (kSanitized && GetParam() == engine::BackendType::Inotify) GTEST_SKIP() << kInotifySanitizedRaces;
  for (unsigned seed : kSeeds) RunSeed({.movesOut = true}, seed);
}

TEST_P(ReplayPropertyTest, EverythingAtOnce) {
  if (kSanitized && GetParam() == engine::BackendType::Inotify) GTEST_SKIP() << kInotifySanitizedRaces;
  for (unsigned seed : kSeeds) RunSeed({.renames = true, .movesOut = true}, seed);
}

TAVREK_FOR_EVERY_BACKEND(ReplayPropertyTest);

}  // namespace
}  // namespace tavrek::testing
