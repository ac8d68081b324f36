#include "core/engine/source/inode_index.h"

#include <utility>

namespace tavrek::engine {
namespace {

constexpr size_t kFirstSize = 64;
// Fibonacci hashing: the top bits of the product spread inodes that come in
// runs (as new files get them) over the whole table.
constexpr uint64_t kSpread = 0x9e3779b97f4a7c15ULL;
constexpr unsigned kWordBits = 64;

}  // namespace

size_t InodeIndex::Home(uint64_t inode) const {
  return static_cast<size_t>((inode * kSpread) >> shift_);
}

void InodeIndex::Add(uint64_t inode, void* entry) {
  if (2 * (used_ + 1) > slots_.size()) Grow();
  Place({inode, entry});
  ++used_;
}

void InodeIndex::Place(const Slot& pair) {
  size_t slot = Home(pair.inode);
  while (slots_[slot].entry != nullptr) slot = Next(slot);
  slots_[slot] = pair;
}

void InodeIndex::Grow() {
  const size_t size = slots_.empty() ? kFirstSize : 2 * slots_.size();
  std::vector<Slot> old = std::exchange(slots_, std::vector<Slot>(size));
  shift_ = kWordBits;
  for (size_t power = 1; power < size; power *= 2) --shift_;
  for (const Slot& pair : old) {
    if (pair.entry != nullptr) Place(pair);
  }
}

void InodeIndex::Remove(uint64_t inode, void* entry) {
  if (slots_.empty()) return;
  for (size_t slot = Home(inode); slots_[slot].entry != nullptr; slot = Next(slot)) {
    if (slots_[slot].inode == inode && slots_[slot].entry == entry) {
      Vacate(slot);
      --used_;
      return;
    }
  }
}

void InodeIndex::Vacate(size_t gap) {
  const size_t mask = slots_.size() - 1;
  for (size_t slot = Next(gap); slots_[slot].entry != nullptr; slot = Next(slot)) {
    // A pair may fill the gap when the gap lies on its way from its home.
    const size_t home = Home(slots_[slot].inode);
    if (((slot - home) & mask) >= ((slot - gap) & mask)) {
      slots_[gap] = slots_[slot];
      gap = slot;
    }
  }
  slots_[gap] = Slot{};
}

}  // namespace tavrek::engine
