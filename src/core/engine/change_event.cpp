#include "core/engine/change_event.h"

#include <array>

#include "core/engine/bounded_text.h"

namespace tavrek::engine {

std::string_view FormatInternText(uint16_t recordPosition, uint8_t kindIndex, FoundBy foundBy,
                                  std::span<char> buffer) {
  const std::string_view mark = foundBy == kFoundByRescan    ? kRescanMark
                                : foundBy == kFoundByPolling ? kPollMark
                                                             : std::string_view();
  constexpr int kPositionDigits = 2;
  return BoundedText(buffer)
      .AppendDecimal(recordPosition, kPositionDigits)
      .Append(" (ID:")
      .AppendDecimal(kindIndex)
      .Append(")")
      .Append(mark)
      .view();
}

std::string FormatInternText(uint16_t recordPosition, uint8_t kindIndex, FoundBy foundBy) {
  std::array<char, 48> buffer;
  return std::string(FormatInternText(recordPosition, kindIndex, foundBy, buffer));
}

std::string ChangeEvent::internText() const {
  return FormatInternText(recordPosition, kindIndex, fromRescan);
}

}  // namespace tavrek::engine
