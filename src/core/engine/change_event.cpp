#include "core/engine/change_event.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace tavrek::engine {

std::string_view FormatInternText(uint16_t recordPosition, uint8_t kindIndex, bool fromRescan,
                                  std::span<char> buffer) {
  const int length =
      std::snprintf(buffer.data(), buffer.size(), "%02d (ID:%d)%.*s", recordPosition, kindIndex,
                    fromRescan ? static_cast<int>(kRescanMark.size()) : 0, kRescanMark.data());
  return {buffer.data(), std::min(static_cast<size_t>(length), buffer.size() - 1)};
}

std::string FormatInternText(uint16_t recordPosition, uint8_t kindIndex, bool fromRescan) {
  std::array<char, 48> buffer;
  return std::string(FormatInternText(recordPosition, kindIndex, fromRescan, buffer));
}

std::string ChangeEvent::internText() const {
  return FormatInternText(recordPosition, kindIndex, fromRescan);
}

}  // namespace tavrek::engine
