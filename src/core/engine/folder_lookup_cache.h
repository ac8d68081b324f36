#pragma once
// A small direct-mapped cache in front of a map ordered by folder path. The
// tables that keep names per folder find the folder of every path; in a map
// of long paths that share their start, each of the ~log2(n) steps compares
// that start again. A burst touches few folders, so a slot per hash of the
// path mostly finds the folder at the cost of one hash and one comparison.
#include <array>
#include <cstddef>
#include <string_view>

#include "core/engine/flat_hash.h"

namespace tavrek::engine {

template <typename Map>
class FolderLookupCache {
 public:
  using Iterator = typename Map::iterator;

  FolderLookupCache() = default;
  // A copy points into no map of its own: it starts empty.
  FolderLookupCache(const FolderLookupCache&) {}
  FolderLookupCache& operator=(const FolderLookupCache&) {
    Clear();
    return *this;
  }

  // The folder's entry in `map` (end when it has none).
  Iterator Find(Map& map, std::string_view folder) {
    Slot& slot = slots_[SlotOf(folder)];
    if (slot.taken && slot.at->first == folder) return slot.at;
    const Iterator found = map.find(folder);
    if (found != map.end()) slot = {found, true};
    return found;
  }
  // `at` is the folder's entry, just made.
  void Remember(std::string_view folder, Iterator at) { slots_[SlotOf(folder)] = {at, true}; }
  // To be called before an entry leaves the map ...
  void Forget(Iterator at) {
    Slot& slot = slots_[SlotOf(at->first)];
    if (slot.taken && slot.at == at) slot = Slot{};
  }
  // ... or whenever keys change.
  void Clear() { slots_.fill(Slot{}); }

 private:
  static constexpr size_t kSlots = 256;  // a power of two
  struct Slot {
    Iterator at{};
    bool taken = false;
  };
  static size_t SlotOf(std::string_view folder) { return flat_hash::Tag(folder) & (kSlots - 1); }

  std::array<Slot, kSlots> slots_{};
};

}  // namespace tavrek::engine
