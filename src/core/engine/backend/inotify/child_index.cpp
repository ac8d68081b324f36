#include "core/engine/backend/inotify/child_index.h"

#include <bit>
#include <utility>

namespace tavrek::engine {
namespace {

// Spreads a hash over the table (Fibonacci hashing: golden-ratio multiplier).
constexpr uint32_t kSpread = 0x9e3779b9U;
constexpr size_t kFirstSize = 16;
constexpr unsigned kHashBits = 32;

}  // namespace

size_t ChildIndex::Home(uint32_t hash) const {
  return static_cast<size_t>(static_cast<uint32_t>(hash * kSpread) >> shift_);
}

void ChildIndex::Insert(size_t hash, Value value) {
  if ((size_ + 1) * 2 > slots_.size()) Grow();
  Place(Slot{Fold(hash), value});
  ++size_;
}

void ChildIndex::Place(const Slot& slot) {
  size_t at = Home(slot.hash);
  while (slots_[at].value != kEmpty) at = Next(at);
  slots_[at] = slot;
}

void ChildIndex::Grow() {
  std::vector<Slot> old = std::exchange(slots_, {});
  const size_t size = old.empty() ? kFirstSize : old.size() * 2;
  slots_.resize(size);
  shift_ = kHashBits - static_cast<unsigned>(std::countr_zero(size));
  for (const Slot& slot : old) {
    if (slot.value != kEmpty) Place(slot);
  }
}

void ChildIndex::Erase(size_t hash, Value value) {
  if (slots_.empty()) return;
  const uint32_t folded = Fold(hash);
  size_t hole = Home(folded);
  for (;; hole = Next(hole)) {
    if (slots_[hole].value == kEmpty) return;
    if (slots_[hole].hash == folded && slots_[hole].value == value) break;
  }
  // Moves back every later entry of the run that may live in the hole, so
  // that no probe stops short at it (no tombstones).
  for (size_t at = Next(hole); slots_[at].value != kEmpty; at = Next(at)) {
    const size_t home = Home(slots_[at].hash);
    const bool stays = hole <= at ? (hole < home && home <= at) : (hole < home || home <= at);
    if (stays) continue;
    slots_[hole] = slots_[at];
    hole = at;
  }
  slots_[hole] = Slot{};
  --size_;
}

}  // namespace tavrek::engine
