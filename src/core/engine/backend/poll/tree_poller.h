#pragma once
// Watching by looking: each pass reads every directory of the folder and
// compares the listing with the one of the pass before. Changes made where
// the kernel cannot see them (on a file server, beneath a FUSE mount) show up
// this way, as do changes in directories no kernel watch covers.
#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/engine/backend/backend.h"
#include "core/engine/backend/poll/folder_listing.h"

namespace tavrek::engine {

class TreePoller {
 public:
  // `folder` ends in "/"; with `subtree` every directory below it on the same
  // file system is read as well. `cancel` (may be null) abandons a pass.
  TreePoller(std::string folder, bool subtree, const std::atomic<bool>* cancel);

  // The first listing, which reports nothing. False when the folder itself
  // cannot be read.
  bool Baseline();
  // An empty first listing instead: the first pass reports all the folder
  // holds as created.
  bool BaselineEmpty();

  // Reads the tree again and appends what changed since the last pass. False
  // when the pass was abandoned (nothing appended, the old listing kept) or
  // the folder itself cannot be read any more (see folderLost).
  bool Pass(std::vector<RawChange>& out);

  bool folderLost() const { return folderLost_; }
  // Size of the tree at the last completed pass.
  uint32_t folderCount() const { return static_cast<uint32_t>(listings_.size()); }
  uint64_t entryCount() const { return entryCount_; }

 private:
  struct Seen {
    std::string path;
    ListedEntry entry;
  };
  using Listings = std::unordered_map<std::string, std::vector<ListedEntry>>;
  struct PassState {
    Listings listings;
    std::vector<Seen> vanished;
    std::vector<Seen> appeared;
    std::vector<RawChange> changed;
    std::vector<std::string> pending;  // directories still to read
    uint64_t entries = 0;
  };

  class VanishedIndex;

  bool Walk(PassState& state, bool compare);
  bool ReadDirectory(const std::string& directory, std::vector<ListedEntry>& out);
  void Compare(const std::string& directory, const std::vector<ListedEntry>& now,
               PassState& state);
  void Vanish(const std::string& path, const ListedEntry& entry, PassState& state) const;
  void Appear(const std::string& path, const ListedEntry& entry, PassState& state) const;
  void Descend(const std::string& path, const ListedEntry& entry, PassState& state) const;
  void MatchRenames(PassState& state, std::vector<RawChange>& out) const;

  const std::string folder_;
  const bool subtree_;
  const std::atomic<bool>* cancel_;
  dev_t device_ = 0;
  bool folderLost_ = false;
  Listings listings_;
  uint64_t entryCount_ = 0;
};

// A change of a file seen in two listings: a write, a metadata change, or
// nothing. Directories report only metadata changes: their times and size
// change with every entry made or removed in them.
bool DescribeChange(const std::string& path, const ListedEntry& before, const ListedEntry& after,
                    RawChange& change);

}  // namespace tavrek::engine
