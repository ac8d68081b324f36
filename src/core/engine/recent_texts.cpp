#include "core/engine/recent_texts.h"

#include <functional>

namespace tavrek::engine {

uint64_t RecentTexts::Hash(std::string_view text) { return std::hash<std::string_view>{}(text); }

uint64_t RecentTexts::Prefetch(std::string_view text) {
  const uint64_t hash = Hash(text);
  if (slots_) __builtin_prefetch(&slots_[hash % kSlots]);
  return hash;
}

std::optional<TextRef> RecentTexts::Add(TextArena& arena, std::string_view text,
                                        uint64_t fullHash) {
  if (text.empty()) return TextRef{};
  if (!slots_) slots_ = std::make_unique<Slot[]>(kSlots);
  const auto hash = static_cast<uint32_t>(fullHash >> 32);
  Slot& slot = slots_[fullHash % kSlots];
  const bool recent = slot.ref.block + TextArena::kRecentBlocks >= arena.BlockCount();
  if (slot.ref.length == text.size() && slot.hash == hash && recent &&
      arena.Peek(slot.ref) == text) {
    return slot.ref;
  }
  const std::optional<TextRef> ref = arena.TryAdd(text);
  if (ref) slot = {hash, *ref};
  return ref;
}

}  // namespace tavrek::engine
