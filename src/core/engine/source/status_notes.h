#pragma once
// The status rows a folder source asks for besides its change events.
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

// One row for every unreadable directory met in one walk or scan: the first
// one's path, and how many more there were.
StatusNote NoAccessNote(uint32_t count, std::string firstPath);

}  // namespace tavrek::engine
