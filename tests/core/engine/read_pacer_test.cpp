#include "core/engine/source/read_pacer.h"

#include <gtest/gtest.h>

namespace tavrek::engine {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;

// Wake-ups in order: a lone change is read at once; a run of close wake-ups
// is paced once it brought enough; a gap before that starts the count again,
// a brief gap after it (the writer not scheduled) does not, a quiet wait ends it.
TEST(ReadPacerTest, PausesOnlyWithinARunOfCloseWakeUpsThatBroughtEnough) {
  const struct {
    microseconds waited;
    size_t bytesBefore;
    bool paused;
  } steps[] = {{microseconds(100'000), 64, false},
               {microseconds(50), 3000, false},
               {microseconds(2000), 3000, false},
               {microseconds(50), 2000, false},
               {microseconds(50), 2096, true},
               {microseconds(900), 40'000, true},
               {microseconds(8000), 40'000, true},
               {microseconds(60'000), 40'000, false},
               {microseconds(50), 64, false}};
  ReadPacer pacer;
  for (const auto& step : steps) {
    const milliseconds pause = pacer.PauseBeforeRead(step.waited, step.bytesBefore);
    EXPECT_EQ(pause, step.paused ? ReadPacer::kFillPause : milliseconds(0))
        << step.waited.count() << " " << step.bytesBefore;
  }
}

}  // namespace
}  // namespace tavrek::engine
