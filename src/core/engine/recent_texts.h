#pragma once
// Remembers where the latest distinct texts of a log were stored, so that a
// path written a thousand times is stored once. A direct-mapped table: each
// slot holds the latest text whose hash falls into it, so the table stays
// the same size however long the log grows, and a look-up costs one hash
// and one comparison.
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "core/engine/text_arena.h"

namespace tavrek::engine {

class RecentTexts {
 public:
  // The text's place in `arena`: where it was stored before when it is
  // remembered, else where it is stored now. Nothing when the arena is full.
  std::optional<TextRef> Add(TextArena& arena, std::string_view text);
  void Clear() { slots_.reset(); }

 private:
  static constexpr size_t kSlots = 8192;
  struct Slot {
    uint64_t hash = 0;
    TextRef ref;
  };
  std::unique_ptr<Slot[]> slots_;
};

}  // namespace tavrek::engine
