#pragma once
// Remembers where the latest distinct texts of a log were stored, so that a
// path written a thousand times is stored once. A direct-mapped table: each
// slot holds the latest text whose hash falls into it, so the table stays
// the same size however long the log grows, and a look-up costs one hash
// and one comparison. Only texts in the arena's last few blocks are reused:
// comparing with an old one would bring its page back into memory, so an
// old text is stored again (once per few megabytes of new text at most).
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
  std::optional<TextRef> Add(TextArena& arena, std::string_view text) {
    return Add(arena, text, Hash(text));
  }
  // The same with the hash from Prefetch(), which starts loading the text's
  // slot so that other work can be done meanwhile.
  std::optional<TextRef> Add(TextArena& arena, std::string_view text, uint64_t hash);
  uint64_t Prefetch(std::string_view text);
  void Clear() { slots_.reset(); }

 private:
  static constexpr size_t kSlots = 65536;
  struct Slot {
    uint32_t hash = 0;  // the upper half of the hash (the lower picks the slot)
    TextRef ref;
  };
  static uint64_t Hash(std::string_view text);

  std::unique_ptr<Slot[]> slots_;
};

}  // namespace tavrek::engine
