#include "core/engine/change_event.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace tavrek::engine {

std::string_view FormatInternText(uint16_t recordPosition, uint8_t kindIndex, FoundBy foundBy,
                                  std::span<char> buffer) {
  const std::string_view mark = foundBy == kFoundByRescan    ? kRescanMark
                                : foundBy == kFoundByPolling ? kPollMark
                                                             : std::string_view();
  const int length = std::snprintf(buffer.data(), buffer.size(), "%02d (ID:%d)%.*s",
                                   recordPosition, kindIndex, static_cast<int>(mark.size()),
                                   mark.data());
  return {buffer.data(), std::min(static_cast<size_t>(length), buffer.size() - 1)};
}

std::string FormatInternText(uint16_t recordPosition, uint8_t kindIndex, FoundBy foundBy) {
  std::array<char, 48> buffer;
  return std::string(FormatInternText(recordPosition, kindIndex, foundBy, buffer));
}

std::string ChangeEvent::internText() const {
  return FormatInternText(recordPosition, kindIndex, fromRescan);
}

}  // namespace tavrek::engine
