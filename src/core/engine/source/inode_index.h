#pragma once
// Which recorded entries belong to an inode: several per inode for a file
// with hard links, one for nearly every other. An open-addressing table of
// (inode, entry) pairs, probed linearly, so that adding or dropping one costs
// about one cache line where a node-based multimap costs a few misses and an
// allocation; the status store touches it for every new name in a burst.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tavrek::engine {

class InodeIndex {
 public:
  void Add(uint64_t inode, void* entry);
  // Drops the pair; nothing happens when it is not there.
  void Remove(uint64_t inode, void* entry);

  // Calls `visit(entry)` for every entry of the inode. `visit` must not
  // change the index.
  template <typename Visit>
  void ForEach(uint64_t inode, Visit&& visit) const {
    if (slots_.empty()) return;
    for (size_t slot = Home(inode); slots_[slot].entry != nullptr; slot = Next(slot)) {
      if (slots_[slot].inode == inode) visit(slots_[slot].entry);
    }
  }
  size_t size() const { return used_; }

 private:
  struct Slot {
    uint64_t inode = 0;
    void* entry = nullptr;  // nullptr: the slot is free
  };

  size_t Home(uint64_t inode) const;
  size_t Next(size_t slot) const { return (slot + 1) & (slots_.size() - 1); }
  void Grow();
  void Place(const Slot& slot);
  // Empties a slot and moves later pairs of its probe run up into the gap.
  void Vacate(size_t slot);

  std::vector<Slot> slots_;  // a power of two in size, at most half used
  size_t used_ = 0;
  unsigned shift_ = 0;  // 64 less the bits of a slot number
};

}  // namespace tavrek::engine
