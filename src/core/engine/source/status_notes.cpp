#include "core/engine/source/status_notes.h"

#include <cstdio>

namespace tavrek::engine {

StatusNote NoAccessNote(uint32_t count, std::string firstPath) {
  StatusNote note{std::string(kStatusNoAccess), std::move(firstPath)};
  if (count > 1) {
    char more[32];
    const int length = std::snprintf(more, sizeof more, kMoreDenied, count - 1);
    note.path.append(more, static_cast<size_t>(length));
  }
  return note;
}

}  // namespace tavrek::engine
