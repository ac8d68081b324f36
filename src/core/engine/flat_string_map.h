#pragma once
// Values by string key: an open-addressing table of (hash tag, node) slots,
// probed linearly, each owning its node. A look-up reads one slot line and,
// where the tag matches, the node; a name that is not there costs the slot
// line alone, where a node-based hash map chases a bucket, the node before
// and the nodes of the chain, each a cache miss in a burst of new names.
// Growing moves only the slots: a node keeps its address until it is erased.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/engine/flat_hash.h"

namespace tavrek::engine {

template <typename Value>
class FlatStringMap {
 public:
  using Node = std::pair<const std::string, Value>;

  Node* Find(std::string_view key) const {
    if (slots_.empty()) return nullptr;
    return slots_[SlotOf(key, Tag(key))].node.get();
  }

  // The node of `key`, made with `value` when there was none; true when made.
  std::pair<Node*, bool> TryEmplace(std::string_view key, const Value& value) {
    if (2 * (used_ + 1) > slots_.size()) Grow();
    const uint32_t tag = Tag(key);
    Slot& slot = slots_[SlotOf(key, tag)];
    if (slot.node) return {slot.node.get(), false};
    slot = {tag, std::make_unique<Node>(std::string(key), value)};
    ++used_;
    return {slot.node.get(), true};
  }

  // The value at `key`, made empty when there was none.
  Value& operator[](std::string_view key) { return TryEmplace(key, Value{}).first->second; }

  // Removes `key`; false when it was not there.
  bool Erase(std::string_view key) {
    if (slots_.empty()) return false;
    const size_t slot = SlotOf(key, Tag(key));
    if (!slots_[slot].node) return false;
    Vacate(slot);
    --used_;
    return true;
  }

  // Calls `visit(node)` for every node, in no particular order; `visit` must
  // not change the map.
  template <typename Visit>
  void ForEach(Visit&& visit) const {
    for (const Slot& slot : slots_) {
      if (slot.node) visit(*slot.node);
    }
  }

  size_t size() const { return used_; }
  bool empty() const { return used_ == 0; }
  void clear() {
    slots_.clear();
    used_ = 0;
  }

 private:

  struct Slot {
    uint32_t tag = 0;  // bits of the key's hash, so most other keys are passed unread
    std::unique_ptr<Node> node;  // empty: the slot is free
  };

  static uint32_t Tag(std::string_view key) { return flat_hash::Tag(key); }
  size_t Home(uint32_t tag) const { return flat_hash::Home(tag, shift_); }
  size_t Next(size_t slot) const { return flat_hash::Next(slot, slots_.size()); }

  // The slot holding `key`, or the free slot that ends its probe run.
  size_t SlotOf(std::string_view key, uint32_t tag) const {
    size_t slot = Home(tag);
    for (; slots_[slot].node; slot = Next(slot)) {
      if (slots_[slot].tag == tag && slots_[slot].node->first == key) break;
    }
    return slot;
  }

  void Grow() {
    const size_t size = flat_hash::GrownSize(slots_.size());
    std::vector<Slot> old = std::exchange(slots_, std::vector<Slot>(size));
    shift_ = flat_hash::ShiftFor(size);
    for (Slot& taken : old) {
      if (!taken.node) continue;
      size_t slot = Home(taken.tag);
      while (slots_[slot].node) slot = Next(slot);
      slots_[slot] = std::move(taken);
    }
  }

  // Frees a slot and moves later slots of its probe run up into the gap.
  void Vacate(size_t gap) {
    slots_[gap].node.reset();
    for (size_t slot = Next(gap); slots_[slot].node; slot = Next(slot)) {
      if (flat_hash::MovesIntoGap(slot, Home(slots_[slot].tag), gap, slots_.size())) {
        slots_[gap] = std::move(slots_[slot]);
        gap = slot;
      }
    }
  }

  std::vector<Slot> slots_;  // a power of two in size, at most half used
  size_t used_ = 0;
  unsigned shift_ = flat_hash::kWordBits;
};

}  // namespace tavrek::engine
