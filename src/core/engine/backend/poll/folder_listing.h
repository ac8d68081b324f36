#pragma once
// One directory's entries as a polling pass sees them: what is compared from
// one pass to the next to tell what changed.
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tavrek::engine {

struct ListedEntry {
  std::string name;
  dev_t device = 0;
  ino_t inode = 0;
  int64_t size = 0;
  int64_t accessNanoseconds = 0;
  int64_t modifyNanoseconds = 0;
  int64_t changeNanoseconds = 0;
  mode_t mode = 0;
  uid_t uid = 0;
  gid_t gid = 0;

  bool isDirectory() const;
  bool SameMetadata(const ListedEntry& other) const {
    return mode == other.mode && uid == other.uid && gid == other.gid &&
           changeNanoseconds == other.changeNanoseconds;
  }
};

// The entries of the open directory `directoryFd`, sorted by name (byte
// order), without "." and "..". Entries that vanish while being read are left
// out. False when the directory cannot be read; the descriptor stays open.
bool ReadListing(int directoryFd, std::vector<ListedEntry>& out);

}  // namespace tavrek::engine
