#include "core/platform/local_time.h"

#include <ctime>

namespace tavrek::platform {
namespace {

constexpr uint32_t kMillisecondsPerSecond = 1000;
constexpr uint32_t kSecondsPerHour = 3600;
constexpr uint32_t kSecondsPerMinute = 60;
constexpr int kTimeTextLength = 12;  // "HH:MM:SS.mmm"

}  // namespace

uint32_t MillisecondOfDay(const SystemTime& time) {
  return (time.hour * kSecondsPerHour + time.minute * kSecondsPerMinute + time.second) *
             kMillisecondsPerSecond +
         time.milliseconds;
}

SystemTime FromMillisecondOfDay(uint32_t millisecondOfDay) {
  SystemTime time;
  time.milliseconds = static_cast<uint16_t>(millisecondOfDay % kMillisecondsPerSecond);
  const uint32_t seconds = millisecondOfDay / kMillisecondsPerSecond;
  time.hour = static_cast<uint16_t>(seconds / kSecondsPerHour);
  time.minute = static_cast<uint16_t>(seconds % kSecondsPerHour / kSecondsPerMinute);
  time.second = static_cast<uint16_t>(seconds % kSecondsPerMinute);
  return time;
}

tm LocalTimeAt(time_t seconds) {
  // localtime_r takes a lock and walks the zone's rules, slow for a lone
  // change whose line waits for it. A zone changes its offset on a whole
  // minute, so the local time of a minute's start is kept per thread and the
  // seconds after it are added; what would run past the minute is asked anew.
  thread_local time_t cachedMinute = -1;
  thread_local tm minuteStart{};
  const time_t minute = seconds - ((seconds % kSecondsPerMinute) + kSecondsPerMinute) %
                                      kSecondsPerMinute;
  if (minute != cachedMinute) {
    if (localtime_r(&minute, &minuteStart) == nullptr) {
      cachedMinute = -1;
      minuteStart = tm{};
      return minuteStart;
    }
    cachedMinute = minute;
  }
  tm local = minuteStart;
  local.tm_sec += static_cast<int>(seconds - minute);
  if (local.tm_sec >= static_cast<int>(kSecondsPerMinute)) localtime_r(&seconds, &local);
  return local;
}

SystemTime GetLocalTime() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  const tm local = LocalTimeAt(now.tv_sec);
  SystemTime time;
  time.year = static_cast<uint16_t>(local.tm_year + 1900);
  time.month = static_cast<uint16_t>(local.tm_mon + 1);
  time.dayOfWeek = static_cast<uint16_t>(local.tm_wday);
  time.day = static_cast<uint16_t>(local.tm_mday);
  time.hour = static_cast<uint16_t>(local.tm_hour);
  time.minute = static_cast<uint16_t>(local.tm_min);
  time.second = static_cast<uint16_t>(local.tm_sec);
  time.milliseconds = static_cast<uint16_t>(now.tv_nsec / 1000000);
  return time;
}

int FormatTimeText(const SystemTime& time, char* out) {
  // By hand: printf is slow to start when its code is not in the cache, and
  // a lone change's line waits for it.
  constexpr int kTen = 10;
  const auto digits = [&out](int at, unsigned value, int count) {
    for (int digit = count - 1; digit >= 0; --digit, value /= kTen) {
      out[at + digit] = static_cast<char>('0' + value % kTen);
    }
  };
  digits(0, time.hour, 2);
  out[2] = ':';
  digits(3, time.minute, 2);
  out[5] = ':';
  digits(6, time.second, 2);
  out[8] = '.';
  digits(9, time.milliseconds, 3);
  out[kTimeTextLength] = '\0';
  return kTimeTextLength;
}

std::string FormatTimeText(const SystemTime& time) {
  char buffer[16];
  int length = FormatTimeText(time, buffer);
  return std::string(buffer, static_cast<size_t>(length));
}

}  // namespace tavrek::platform
