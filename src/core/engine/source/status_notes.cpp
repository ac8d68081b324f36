#include "core/engine/source/status_notes.h"

#include <cstdio>

namespace tavrek::engine {

StatusNote RescanDoneNote(uint32_t changes, std::string folder) {
  char text[sizeof kStatusRescanDone + 16];
  const int length = std::snprintf(text, sizeof text, kStatusRescanDone, changes);
  return StatusNote{std::string(text, static_cast<size_t>(length)), std::move(folder),
                    StatusKind::kRescanDone};
}

StatusNote InstanceLimitNote(std::string_view limit, std::string folder) {
  std::string text(kStatusInstanceLimitBegin);
  text.append(limit).append(kStatusInstanceLimitEnd);
  return StatusNote{std::move(text), std::move(folder), StatusKind::kWatchLimit};
}

std::string GroupedNumber(uint64_t number) {
  const std::string digits = std::to_string(number);
  constexpr size_t kGroup = 3;
  std::string grouped;
  for (size_t at = 0; at < digits.size(); ++at) {
    if (at > 0 && (digits.size() - at) % kGroup == 0) grouped += '.';
    grouped += digits[at];
  }
  return grouped;
}

StatusNote NoAccessNote(uint32_t count, std::string firstPath) {
  StatusNote note{std::string(kStatusNoAccess), std::move(firstPath), StatusKind::kNoAccess};
  if (count > 1) {
    char more[32];
    const int length = std::snprintf(more, sizeof more, kMoreDenied, count - 1);
    note.path.append(more, static_cast<size_t>(length));
  }
  return note;
}

}  // namespace tavrek::engine
