#pragma once
// Values by string key in two flat arrays: the entries one after another, and
// an open-addressing table of (hash tag, entry number) slots, probed linearly.
// A look-up reads one slot line and one entry where a node-based hash map
// chases a bucket, the node before and the node itself, each a cache miss in a
// burst of new names; growing moves only the small slots. An entry's address
// holds only until the next insertion or erasure.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/engine/flat_hash.h"

namespace tavrek::engine {

template <typename Value>
class FanotifyFlatMap {
 public:
  using Entry = std::pair<std::string, Value>;

  Value* Find(std::string_view key) {
    const size_t slot = SlotOf(key, Tag(key));
    return slots_.empty() || slots_[slot].entry == kFree ? nullptr
                                                          : &entries_[slots_[slot].entry - 1].second;
  }
  const Value* Find(std::string_view key) const {
    return const_cast<FanotifyFlatMap*>(this)->Find(key);
  }

  // The value at `key`, made from `value` when there was none; true when made.
  std::pair<Value*, bool> TryEmplace(std::string_view key, const Value& value) {
    if (2 * (entries_.size() + 1) > slots_.size()) Grow();
    const uint32_t tag = Tag(key);
    const size_t slot = SlotOf(key, tag);
    if (slots_[slot].entry != kFree) return {&entries_[slots_[slot].entry - 1].second, false};
    entries_.emplace_back(std::string(key), value);
    slots_[slot] = {tag, static_cast<uint32_t>(entries_.size())};
    return {&entries_.back().second, true};
  }

  // The value at `key`, made empty when there was none.
  Value& operator[](std::string_view key) { return *TryEmplace(key, Value{}).first; }

  // Removes `key`; false when it was not there.
  bool Erase(std::string_view key) {
    if (slots_.empty()) return false;
    const size_t slot = SlotOf(key, Tag(key));
    if (slots_[slot].entry == kFree) return false;
    const uint32_t number = slots_[slot].entry;
    Vacate(slot);
    if (number != entries_.size()) {
      // The last entry fills the hole; its slot follows it.
      Entry& last = entries_.back();
      slots_[SlotOf(last.first, Tag(last.first))].entry = number;
      entries_[number - 1] = std::move(last);
    }
    entries_.pop_back();
    return true;
  }

  size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  void clear() {
    entries_.clear();
    slots_.clear();
  }
  // The entries, in no particular order.
  std::vector<Entry>& entries() { return entries_; }
  const std::vector<Entry>& entries() const { return entries_; }

 private:
  static constexpr uint32_t kFree = 0;  // else the entry's number, counted from 1

  struct Slot {
    uint32_t tag = 0;  // bits of the key's hash, so most other keys are passed unread
    uint32_t entry = kFree;
  };

  static uint32_t Tag(std::string_view key) { return flat_hash::Tag(key); }
  size_t Home(uint32_t tag) const { return flat_hash::Home(tag, shift_); }
  size_t Next(size_t slot) const { return flat_hash::Next(slot, slots_.size()); }

  // The slot holding `key`, or the free slot that ends its probe run.
  size_t SlotOf(std::string_view key, uint32_t tag) const {
    if (slots_.empty()) return 0;
    size_t slot = Home(tag);
    for (; slots_[slot].entry != kFree; slot = Next(slot)) {
      if (slots_[slot].tag == tag && entries_[slots_[slot].entry - 1].first == key) break;
    }
    return slot;
  }

  void Grow() {
    const size_t size = flat_hash::GrownSize(slots_.size());
    const std::vector<Slot> old = std::exchange(slots_, std::vector<Slot>(size));
    shift_ = flat_hash::ShiftFor(size);
    for (const Slot& taken : old) {
      if (taken.entry == kFree) continue;
      size_t slot = Home(taken.tag);
      while (slots_[slot].entry != kFree) slot = Next(slot);
      slots_[slot] = taken;
    }
  }

  // Empties a slot and moves later slots of its probe run up into the gap.
  void Vacate(size_t gap) {
    for (size_t slot = Next(gap); slots_[slot].entry != kFree; slot = Next(slot)) {
      if (flat_hash::MovesIntoGap(slot, Home(slots_[slot].tag), gap, slots_.size())) {
        slots_[gap] = slots_[slot];
        gap = slot;
      }
    }
    slots_[gap] = Slot{};
  }

  std::vector<Entry> entries_;
  std::vector<Slot> slots_;  // a power of two in size, at most half used
  unsigned shift_ = flat_hash::kWordBits;
};

}  // namespace tavrek::engine
