#include "core/platform/local_time.h"

#include <cstdio>
#include <ctime>

namespace tavrek::platform {
namespace {

constexpr uint32_t kMillisecondsPerSecond = 1000;
constexpr uint32_t kSecondsPerHour = 3600;
constexpr uint32_t kSecondsPerMinute = 60;

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

SystemTime GetLocalTime() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
  localtime_r(&now.tv_sec, &local);
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
  return std::snprintf(out, 13, "%02d:%02d:%02d.%03d", time.hour % 100, time.minute % 100,
                       time.second % 100, time.milliseconds % 1000);
}

std::string FormatTimeText(const SystemTime& time) {
  char buffer[16];
  int length = FormatTimeText(time, buffer);
  return std::string(buffer, static_cast<size_t>(length));
}

}  // namespace tavrek::platform
