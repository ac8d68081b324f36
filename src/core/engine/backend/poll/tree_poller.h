#pragma once
// Watching by looking: each pass reads every directory of the folder and
// compares the listing with the one of the pass before. Changes made where
// the kernel cannot see them (on a file server, beneath a FUSE mount) show up
// this way, as do changes in directories no kernel watch covers.
#include <sys/stat.h>
#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/engine/backend/backend.h"
#include "core/engine/backend/poll/descriptor_walk.h"
#include "core/engine/backend/poll/folder_listing.h"

namespace tavrek::engine {

class TreePoller {
 public:
  // `folder` ends in "/"; with `subtree` every directory below it on the same
  // file system is read as well. `cancel` (may be null) abandons a pass.
  // With `wholeWatch` the folder is all of a watch: it counts as lost also
  // when another directory took its name, and the pass that finds it gone or
  // replaced reports what it held as deleted (else that is left to the
  // kernel's watch of its parent, which may know it moved).
  TreePoller(std::string folder, bool subtree, const std::atomic<bool>* cancel,
             bool wholeWatch = false);

  // The first listing, which reports nothing. False when the folder itself
  // cannot be read.
  bool Baseline();
  // An empty first listing instead: the first pass reports all the folder
  // holds as created.
  bool BaselineEmpty();

  // Reads the tree again and appends what changed since the last pass. False
  // when the pass was abandoned (nothing appended, the old listing kept) or
  // the folder itself cannot be read any more (see folderLost).
  // A pass given `fullReads` reads every entry of that many directories, in
  // turn from one pass to the next, and of the others only those whose own
  // modification or change time moved (a name made, removed or renamed in
  // them); the rest keep their listing. One status read per directory
  // instead of one per entry finds new names often, and a whole reading is
  // spread over many passes, so no pass blocks the next for long.
  static constexpr size_t kAll = SIZE_MAX;
  bool Pass(std::vector<RawChange>& out, size_t fullReads = kAll);

  bool folderLost() const { return folderLost_; }
  // Adds the directories found unreadable (no permission) since the last
  // call to the result's count. A directory counts once until it has been
  // read again, not at every pass that meets it.
  void TakeDenied(DrainResult& result);
  // The directories the last pass read in full (in turn, or since their
  // names changed), and what reading them cost.
  size_t readCount() const { return readCount_; }
  std::chrono::nanoseconds readCost() const { return readCost_; }
  // Size of the tree at the last completed pass.
  uint32_t folderCount() const { return static_cast<uint32_t>(listings_.size()); }
  uint64_t entryCount() const { return entryCount_; }

 private:
  struct Seen {
    std::string path;
    ListedEntry entry;
  };
  using Listings = std::unordered_map<std::string, std::vector<ListedEntry>>;
  // A directory's modification and change time when it was last read. A
  // stamp that close to the time of reading is not trusted: a name made in
  // the same tick of the file system's clock would leave it as it was.
  struct Stamp {
    int64_t modify = 0;
    int64_t change = 0;
    bool recent = false;
    bool Same(const Stamp& other) const {
      return !recent && modify == other.modify && change == other.change;
    }
  };
  struct PassState {
    Listings listings;
    std::unordered_map<std::string, Stamp> stamps;
    std::vector<Seen> vanished;
    std::vector<Seen> appeared;
    std::vector<RawChange> changed;
    std::vector<std::string> pending;  // directories below the one looked at
    size_t readCount = 0;
    std::chrono::nanoseconds readCost{0};
    uint64_t entries = 0;
  };

  class VanishedIndex;

  static Stamp StampOf(const struct stat& status);
  bool Walk(PassState& state, bool compare, size_t fullReads = kAll);
  // Whether the directory met `visited`-th in a pass is one read in full.
  bool InTurn(size_t visited, size_t fullReads) const;
  // Looks at one directory of the walk; `fd` is left on it (or -1) as the way
  // to the directories below. False when it cannot be read and is the folder.
  bool Visit(const DescriptorWalk::Step& step, bool inTurn, bool compare, PassState& state,
             int& fd);
  bool ReadDirectory(const DescriptorWalk::Step& step, int& fd, std::vector<ListedEntry>& out,
                     Stamp& stamp);
  void Keep(const std::string& directory, const std::vector<ListedEntry>& kept, const Stamp& stamp,
            PassState& state) const;
  // The directory's listing of the last pass when its stamp is the same.
  const std::vector<ListedEntry>* Unchanged(const DescriptorWalk::Step& step, Stamp& stamp) const;
  void Compare(const std::string& directory, const std::vector<ListedEntry>& now,
               PassState& state);
  void Vanish(const std::string& path, const ListedEntry& entry, PassState& state) const;
  void Appear(const std::string& path, const ListedEntry& entry, PassState& state) const;
  void Descend(const std::string& path, const ListedEntry& entry, PassState& state) const;
  void MatchRenames(PassState& state, std::vector<RawChange>& out) const;
  void NoteDenied(const std::string& directory);
  // Whether the open folder is still the one the watch began with; notes
  // when it is not.
  bool SameFolder(int fd);
  // Everything the last listing holds, as deleted, contents first.
  void ReportGone(std::vector<RawChange>& out) const;

  const std::string folder_;
  const bool subtree_;
  const std::atomic<bool>* cancel_;
  const bool wholeWatch_;
  dev_t device_ = 0;
  // The folder's identity: an inode number freed by a removal may come back
  // at once for the next directory made, its birth time (where the file
  // system keeps one) does not.
  struct Identity {
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t born = 0;
    bool operator==(const Identity&) const = default;
  };
  static std::optional<Identity> IdentityOf(int directoryFd, const char* path);
  Identity identity_;
  bool folderLost_ = false;
  bool folderGone_ = false;  // removed or replaced, not just unreadable
  Listings listings_;
  std::unordered_map<std::string, Stamp> stamps_;
  size_t turn_ = 0;  // where the next pass's full reads begin, in walk order
  size_t readCount_ = 0;
  std::chrono::nanoseconds readCost_{0};
  uint64_t entryCount_ = 0;
  std::unordered_set<std::string> denied_;  // unreadable when last met
  uint32_t newlyDenied_ = 0;
  std::string firstDenied_;
};

// A change of a file seen in two listings: a write, a metadata change, or
// nothing. Directories report only metadata changes: their times and size
// change with every entry made or removed in them.
bool DescribeChange(const std::string& path, const ListedEntry& before, const ListedEntry& after,
                    RawChange& change);

}  // namespace tavrek::engine
