#pragma once
// A hash index of the statistics' rows and nodes: 4 bytes a slot, open
// addressing with linear probing, at most three quarters full. It stores
// only ids; the owner gives each id's hash and says whether an id matches,
// so the keys (paths, names) are never stored twice.
#include <cstdint>
#include <vector>

namespace tavrek::engine {

class IdIndex {
 public:
  static constexpr uint32_t kNone = 0xFFFFFFFF;

  // The id whose key `matches(id)` says is the one hashed to `hash`, or kNone.
  template <typename Matches>
  uint32_t Find(uint64_t hash, Matches matches) const {
    if (slots_.empty()) return kNone;
    for (size_t at = hash & Mask();; at = (at + 1) & Mask()) {
      if (slots_[at] == kNone || matches(slots_[at])) return slots_[at];
    }
  }
  // Adds an id not yet present; `hashOf(id)` gives the hash of any id held,
  // for when the index grows.
  template <typename HashOf>
  void Insert(uint64_t hash, uint32_t id, HashOf hashOf) {
    if ((count_ + 1) * 4 > slots_.size() * 3) Grow(hashOf);
    Place(hash, id);
    ++count_;
  }
  void Clear() {
    std::vector<uint32_t>().swap(slots_);
    count_ = 0;
  }
  size_t BytesReserved() const { return slots_.capacity() * sizeof(uint32_t); }

 private:
  static constexpr size_t kFirstSize = 64;
  size_t Mask() const { return slots_.size() - 1; }
  void Place(uint64_t hash, uint32_t id) {
    size_t at = hash & Mask();
    while (slots_[at] != kNone) at = (at + 1) & Mask();
    slots_[at] = id;
  }
  template <typename HashOf>
  void Grow(HashOf hashOf) {
    std::vector<uint32_t> old(slots_.empty() ? kFirstSize : slots_.size() * 2, kNone);
    old.swap(slots_);
    for (uint32_t id : old) {
      if (id != kNone) Place(hashOf(id), id);
    }
  }

  std::vector<uint32_t> slots_;
  size_t count_ = 0;
};

}  // namespace tavrek::engine
