// Local time kept per minute agrees with localtime_r, across the changes of
// a zone's offset too; the time text is always "HH:MM:SS.mmm".
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "core/platform/local_time.h"

namespace tavrek::platform {
namespace {

// Around the spring and autumn changes of central Europe in 2026, and a
// plain day; every seven seconds, so that minutes are entered mid-way.
constexpr time_t kSpringChange = 1774746000;  // 2026-03-29 01:00:00 UTC
constexpr time_t kAutumnChange = 1792890000;  // 2026-10-25 01:00:00 UTC
constexpr time_t kPlainDay = 1780000000;
constexpr time_t kAround = 600;
constexpr time_t kStep = 7;

std::string Fields(const tm& time) {
  return std::to_string(time.tm_year) + "-" + std::to_string(time.tm_yday) + " " +
         std::to_string(time.tm_hour) + ":" + std::to_string(time.tm_min) + ":" +
         std::to_string(time.tm_sec) + " day " + std::to_string(time.tm_wday);
}

// The zone is set and compared on a thread of its own: the kept minute
// belongs to the thread, and a program never changes its zone.
void ExpectLikeLocaltime(const char* zone) {
  setenv("TZ", zone, 1);
  tzset();
  std::thread([] {
    for (const time_t centre : {kSpringChange, kAutumnChange, kPlainDay}) {
      for (time_t at = centre - kAround; at <= centre + kAround; at += kStep) {
        tm expected{};
        localtime_r(&at, &expected);
        EXPECT_EQ(Fields(LocalTimeAt(at)), Fields(expected))
            << "at " << at;
      }
    }
  }).join();
}

TEST(LocalTimeTest, KeptMinutesAgreeWithLocaltimeAcrossOffsetChanges) {
  const char* before = std::getenv("TZ");
  const std::string saved = before != nullptr ? before : "";
  for (const char* zone : {"Europe/Berlin", "America/St_Johns", "Asia/Kathmandu", "UTC"}) {
    ExpectLikeLocaltime(zone);
  }
  if (before != nullptr) {
    setenv("TZ", saved.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}

TEST(LocalTimeTest, TimeTextHasFixedWidth) {
  struct Row {
    SystemTime time;
    const char* text;
  };
  const Row rows[] = {{{2026, 12, 1, 7, 0, 0, 0, 0}, "00:00:00.000"},
                      {{2026, 12, 1, 7, 23, 59, 59, 999}, "23:59:59.999"},
                      {{2026, 12, 1, 7, 7, 5, 3, 42}, "07:05:03.042"}};
  for (const Row& row : rows) {
    char buffer[13];
    EXPECT_EQ(FormatTimeText(row.time, buffer), 12);
    EXPECT_STREQ(buffer, row.text);
    EXPECT_EQ(FormatTimeText(row.time), row.text);
    EXPECT_EQ(FormatTimeText(FromMillisecondOfDay(MillisecondOfDay(row.time))), row.text);
  }
}

}  // namespace
}  // namespace tavrek::platform
