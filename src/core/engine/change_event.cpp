#include "core/engine/change_event.h"

#include <cstdio>

namespace tavrek::engine {

std::string FormatInternText(uint16_t recordPosition, uint8_t kindIndex, bool fromRescan) {
  char buffer[32];
  int length = std::snprintf(buffer, sizeof buffer, "%02d (ID:%d)", recordPosition, kindIndex);
  std::string text(buffer, static_cast<size_t>(length));
  if (fromRescan) text += kRescanMark;
  return text;
}

std::string ChangeEvent::internText() const {
  return FormatInternText(recordPosition, kindIndex, fromRescan);
}

}  // namespace tavrek::engine
