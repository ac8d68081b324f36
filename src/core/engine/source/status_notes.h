#pragma once
// The status rows a folder source asks for besides its change events.
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/engine/event_queue.h"

namespace tavrek::engine {

// A directory below the folder could not be read (no permission): it and
// what it holds are not watched.
inline constexpr std::string_view kStatusNoAccess = "Kein Zugriff: ";
// Text of the path column when more than one directory was not readable.
inline constexpr char kMoreDenied[] = " +%u weitere";

// Before and after the changes found by reading the folder again after the
// kernel lost events; the second counts them and names what cannot be found.
inline constexpr std::string_view kStatusRescanStart = "Neu einlesen nach Überlauf …";
inline constexpr char kStatusRescanDone[] =
    "Neu eingelesen nach Überlauf: %u Änderungen gefunden (nicht erkennbar: zwischendurch "
    "Erstelltes und wieder Gelöschtes, Umbenennungen als Löschen und Erstellen, Lesezugriffe)";

StatusNote RescanDoneNote(uint32_t changes, std::string folder);

// A folder the kernel granted no instance of its own, by a per-user limit
// whose name goes between the two parts, is polled instead.
inline constexpr std::string_view kStatusInstanceLimitBegin = "Überwachungslimit erreicht (";
inline constexpr std::string_view kStatusInstanceLimitEnd = "), Ordner wird abgefragt: ";

StatusNote InstanceLimitNote(std::string_view limit, std::string folder);

// 40751 as "40.751".
std::string GroupedNumber(uint64_t number);

// One row for every unreadable directory met in one walk or scan: the first
// one's path, and how many more there were.
StatusNote NoAccessNote(uint32_t count, std::string firstPath);

}  // namespace tavrek::engine
