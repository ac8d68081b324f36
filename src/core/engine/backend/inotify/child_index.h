#pragma once
// Finds a directory's node by (parent, name) hash: an open-addressing table
// of (hash, node) pairs in one array, probed linearly. A node-based hash map
// took three cache misses per directory added on large trees (bucket, chain,
// neighbour) and more on every growth; here it is about one. A slot keeps 32
// bits of the hash only, so several nodes may match one: the caller tells
// them apart.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tavrek::engine {

class ChildIndex {
 public:
  using Value = uint32_t;
  static constexpr Value kEmpty = UINT32_MAX;

  void Clear() {
    slots_.clear();
    size_ = 0;
  }
  void Insert(size_t hash, Value value);
  // Removes the pair if present.
  void Erase(size_t hash, Value value);
  size_t size() const { return size_; }

  // Calls `visit` with every value stored under `hash` until it returns true.
  template <typename Visit>
  Value Find(size_t hash, Visit&& visit) const {
    if (slots_.empty()) return kEmpty;
    const uint32_t folded = Fold(hash);
    for (size_t at = Home(folded);; at = Next(at)) {
      const Slot& slot = slots_[at];
      if (slot.value == kEmpty) return kEmpty;
      if (slot.hash == folded && visit(slot.value)) return slot.value;
    }
  }

 private:
  struct Slot {
    uint32_t hash = 0;
    Value value = kEmpty;
  };

  static uint32_t Fold(size_t hash) {
    return static_cast<uint32_t>(hash ^ (static_cast<uint64_t>(hash) >> 32));
  }
  size_t Home(uint32_t hash) const;
  size_t Next(size_t at) const { return (at + 1) & (slots_.size() - 1); }
  void Grow();
  void Place(const Slot& slot);

  std::vector<Slot> slots_;  // a power of two in size, at most half full
  size_t size_ = 0;
  unsigned shift_ = 0;  // 32 minus the bits of the size
};

}  // namespace tavrek::engine
