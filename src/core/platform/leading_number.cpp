#include "core/platform/leading_number.h"

#include <climits>
#include <cstdint>

namespace tavrek::platform {

int ParseLeadingInt(std::string_view text) {
  size_t position = 0;
  while (position < text.size() && (text[position] == ' ' || text[position] == '\t')) ++position;
  const bool negative = position < text.size() && text[position] == '-';
  if (negative) ++position;
  const int64_t limit = negative ? -static_cast<int64_t>(INT_MIN) : INT_MAX;
  int64_t magnitude = 0;
  for (; position < text.size() && text[position] >= '0' && text[position] <= '9'; ++position) {
    magnitude = magnitude * 10 + (text[position] - '0');
    if (magnitude > limit) magnitude = limit;
  }
  return static_cast<int>(negative ? -magnitude : magnitude);
}

}  // namespace tavrek::platform
