#pragma once
// Local wall-clock time with milliseconds, in the field order the rest of the
// program (documents, statistics, exports) expects: year, month, day of week,
// day, hour, minute, second, millisecond.
#include <cstdint>
#include <ctime>
#include <string>

namespace tavrek::platform {

struct SystemTime {
  uint16_t year = 0;
  uint16_t month = 0;
  uint16_t dayOfWeek = 0;  // 0 = Sunday
  uint16_t day = 0;
  uint16_t hour = 0;
  uint16_t minute = 0;
  uint16_t second = 0;
  uint16_t milliseconds = 0;

  bool operator==(const SystemTime&) const = default;
};

// Now, from CLOCK_REALTIME and the local time zone; milliseconds truncated.
SystemTime GetLocalTime();
// localtime_r of `seconds`, quicker for times close together.
tm LocalTimeAt(time_t seconds);

// "%02d:%02d:%02d.%03d" of hour, minute, second and millisecond.
std::string FormatTimeText(const SystemTime& time);

// The same text written into a caller's buffer of at least 13 bytes, for hot
// paths; returns the length (12 for valid times).
int FormatTimeText(const SystemTime& time, char* out);

// The time of day in milliseconds, for compact storage of shown times; the
// inverse fills hour, minute, second and millisecond only.
uint32_t MillisecondOfDay(const SystemTime& time);
SystemTime FromMillisecondOfDay(uint32_t millisecondOfDay);

}  // namespace tavrek::platform
