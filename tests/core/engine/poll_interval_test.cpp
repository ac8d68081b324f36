#include "core/engine/backend/poll/poll_interval.h"

#include <gtest/gtest.h>

#include "core/engine/source/status_notes.h"

namespace tavrek::engine {
namespace {

using std::chrono::milliseconds;

TEST(PollIntervalTest, ACostlyPassStretchesTheIntervalToWholeSecondsAndTheCommandLineGivesSeconds) {
  const struct {
    milliseconds requested, cost, inForce;
  } cases[] = {{milliseconds(2000), milliseconds(10), milliseconds(2000)},
               {milliseconds(2000), milliseconds(101), milliseconds(3000)},
               {milliseconds(500), milliseconds(1), milliseconds(500)},
               {milliseconds(500), milliseconds(200), milliseconds(4000)}};
  for (const auto& test : cases) {
    EXPECT_EQ(PollIntervalInForce(test.requested, test.cost), test.inForce) << test.cost.count();
  }
  EXPECT_EQ(PollSecondsText(milliseconds(4000)), "4");
  EXPECT_EQ(PollSecondsText(milliseconds(500)), "0,5");
  // Seconds from the command line.
  EXPECT_EQ(ParsePollSeconds("2"), milliseconds(2000));
  EXPECT_EQ(ParsePollSeconds("0.25"), milliseconds(250));
  for (const char* bad : {"", "0", "-1", "x", "2s", "1e9", "nan"}) {
    EXPECT_FALSE(ParsePollSeconds(bad)) << bad;
  }
  EXPECT_EQ(GroupedNumber(40751), "40.751");
  EXPECT_EQ(GroupedNumber(999), "999");
  EXPECT_EQ(GroupedNumber(1234567), "1.234.567");
}

}  // namespace
}  // namespace tavrek::engine
