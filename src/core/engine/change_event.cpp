#include "core/engine/change_event.h"

#include <cstdio>

namespace tavrek::engine {

std::string FormatInternText(uint16_t recordPosition, uint8_t kindIndex) {
  char buffer[32];
  int length = std::snprintf(buffer, sizeof buffer, "%02d (ID:%d)", recordPosition, kindIndex);
  return std::string(buffer, static_cast<size_t>(length));
}

std::string ChangeEvent::internText() const { return FormatInternText(recordPosition, kindIndex); }

}  // namespace tavrek::engine
