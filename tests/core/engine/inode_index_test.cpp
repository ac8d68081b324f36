#include "core/engine/source/inode_index.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

namespace tavrek::engine {
namespace {

// Many inodes with several entries each, then about half the pairs removed
// in a scattered order: every inode still lists exactly the pairs left,
// wherever the table grew, wrapped around or closed a gap.
TEST(InodeIndexTest, ListsExactlyThePairsLeftAfterScatteredRemovals) {
  constexpr uint64_t kInodes = 700;
  constexpr size_t kPairs = 3000;
  std::vector<int> entries(kPairs);
  InodeIndex index;
  std::multimap<uint64_t, void*> expected;
  for (size_t i = 0; i < kPairs; ++i) {
    index.Add(i % kInodes, &entries[i]);
    expected.emplace(i % kInodes, &entries[i]);
  }
  for (size_t i = 0; i < kPairs; i += 1 + i % 3) {
    index.Remove(i % kInodes, &entries[i]);
    for (auto [it, end] = expected.equal_range(i % kInodes); it != end; ++it) {
      if (it->second == &entries[i]) {
        expected.erase(it);
        break;
      }
    }
  }
  index.Remove(kInodes + 1, &entries[0]);  // not there: nothing happens
  EXPECT_EQ(index.size(), expected.size());
  for (uint64_t inode = 0; inode <= kInodes; ++inode) {
    std::multiset<void*> listed;
    index.ForEach(inode, [&](void* entry) { listed.insert(entry); });
    std::multiset<void*> wanted;
    for (auto [it, end] = expected.equal_range(inode); it != end; ++it) wanted.insert(it->second);
    EXPECT_EQ(listed, wanted) << inode;
  }
}

}  // namespace
}  // namespace tavrek::engine
