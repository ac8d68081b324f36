#pragma once
// The eight access kinds summed up per file and folder, and which action
// codes land in each.
#include <array>
#include <cstdint>
#include <string_view>

namespace tavrek::engine {

inline constexpr int kSlotCount = 8;

inline constexpr std::array<std::string_view, kSlotCount> kSlotHeaders{
    "Erstellzeit", "Zugriff", "Schreiben", "Dateigröße",
    "Attribute",   "Löschen", "Umbennen",  "Sicherheit"};

// Slot of an action code; codes without a slot of their own (4, 9) count as
// creation time.
int SlotOfAction(int32_t actionCode);

}  // namespace tavrek::engine
