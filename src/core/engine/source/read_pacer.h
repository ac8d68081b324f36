#pragma once
// When a source thread reads its kernel queue after a wake-up. Each wake-up
// costs about as much as decoding a few dozen records, and in a burst the
// queue wakes the thread for every few records it gains (on a file-system mark
// even for bursts in other folders, whose records are dropped at once). So:
// a record that finds the thread asleep and the queue quiet is read at once,
// for the lowest latency; a wake-up that comes right after the last read means
// a burst, and the queue is left to fill for a moment and read in one go.
#include <chrono>

namespace tavrek::engine {

class ReadPacer {
 public:
  using Duration = std::chrono::steady_clock::duration;

  // A wake-up this soon after the thread went back to waiting means the
  // queue was already filling: records come faster than one read a
  // millisecond.
  static constexpr std::chrono::microseconds kBurstGap{1000};
  // How long a busy queue is left to fill before it is read. Long enough for
  // hundreds of records at burst rates, short against the kernel's queue
  // (16,384 events by default fill in no less than about 100 ms) and
  // against what a person notices.
  static constexpr std::chrono::milliseconds kFillPause{5};

  // The pause before reading, given how long the thread waited for input.
  static std::chrono::milliseconds PauseBeforeRead(Duration waited) {
    return waited < kBurstGap ? kFillPause : std::chrono::milliseconds{0};
  }
};

}  // namespace tavrek::engine
