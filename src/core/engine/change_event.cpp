#include "core/engine/change_event.h"

#include <cstdio>

namespace tavrek::engine {

std::string ChangeEvent::internText() const {
  char buffer[32];
  int length = std::snprintf(buffer, sizeof buffer, "%02d (ID:%d)", recordPosition, kindIndex);
  return std::string(buffer, static_cast<size_t>(length));
}

}  // namespace tavrek::engine
