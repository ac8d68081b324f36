#include "core/engine/source/inode_index.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace tavrek::engine {
namespace {

// Many inodes with several entries each, two of every three pairs removed:
// every inode still lists exactly the pairs left, wherever the table grew,
// wrapped around or closed a gap.
TEST(InodeIndexTest, ListsExactlyThePairsLeftAfterScatteredRemovals) {
  constexpr size_t kPairs = 3000;
  constexpr uint64_t kInodes = 700;
  std::vector<int> entries(kPairs);
  const auto kept = [](size_t pair) { return pair % 3 == 1; };
  InodeIndex index;
  for (size_t i = 0; i < kPairs; ++i) index.Add(i % kInodes, &entries[i]);
  std::vector<std::multiset<void*>> wanted(kInodes + 1);
  for (size_t i = 0; i < kPairs; ++i) {
    if (kept(i)) wanted[i % kInodes].insert(&entries[i]);
    if (!kept(i)) index.Remove(i % kInodes, &entries[i]);
  }
  index.Remove(kInodes, &entries[0]);  // not there: nothing happens
  std::vector<std::multiset<void*>> listed(kInodes + 1);
  for (uint64_t inode = 0; inode <= kInodes; ++inode) {
    index.ForEach(inode, [&](void* entry) { listed[inode].insert(entry); });
  }
  EXPECT_EQ(listed, wanted);
  EXPECT_EQ(index.size(), kPairs / 3);
}

}  // namespace
}  // namespace tavrek::engine
