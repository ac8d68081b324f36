#pragma once
// When a source thread reads its kernel queue after a wake-up. Each wake-up
// costs about as much as decoding a few dozen records, and in a burst the
// queue wakes the thread for every few records it gains (on a file-system mark
// even for bursts in other folders, whose records are dropped at once). So a
// record that finds the queue quiet is read at once, for the lowest latency;
// once wake-ups follow each other closely and have brought a fair amount, the
// queue is left to fill for a moment before each read, and read in one go.
// A burst is recognised by close wake-ups only, so a slow trickle never counts
// as one; once recognised, it goes on through the gaps of a few milliseconds a
// busy machine puts into it (the program making it was not scheduled), and
// only a quiet wait ends it. (Ending it also when a pause brought little was
// tried: on a loaded machine the program making a burst often gets no time
// during a pause, and the reader fell back to a wake-up per record.)
//
// A burst made only of other folders' records (a file-system mark sees every
// program's changes) is paced more briefly once the folder's own changes have
// been quiet for a moment: a change of the watched folder that comes during it
// waits for the pause, and other programs may keep the disk busy for as long
// as they run. While the folder's own changes come, the burst is its own and is
// paced as ever, so that a read between two of them that happens to hold none
// does not cut it into more reads. (Ending a burst of other folders' records
// when a brief pause brought little was tried: under load a flood's writer
// often gets no time during it, and 3,000 changes a second elsewhere then cost
// a wake-up each, some 5,000 a second against 800 with brief pauses.)
// Where the backend can wake the thread when a record comes that may be the
// folder's own (Backend::PauseWakeFd), such a pause is longer than any other
// and ends early then: a flood elsewhere then costs fewer wake-ups than a
// burst of the folder's own, and the folder's change is read at once. Such a
// pause then also comes when other folders' records come closer than it
// without making a burst: on a loaded machine a program deleting thousands of
// files a second runs in spurts, the gaps between them end every run before
// it counts as a burst, and the reader was woken for every few records.

#include <algorithm>
#include <chrono>
#include <cstddef>

namespace tavrek::engine {

// What the drain before a wait read from the kernel queue.
struct DrainSummary {
  size_t bytes = 0;
  // Every record it read was about other folders (a file-system mark only).
  bool elsewhereOnly = false;
};

class ReadPacer {
 public:
  using Duration = std::chrono::steady_clock::duration;

  // A wake-up this soon after the thread went back to waiting counts towards a
  // run: records came faster than one a millisecond.
  static constexpr std::chrono::microseconds kBurstGap{1000};
  // A wait this long ends a burst: the queue was quiet (a person's changes, a
  // program saving now and then), and the next record is read at once.
  static constexpr std::chrono::milliseconds kQuietGap{50};
  // What a run must have brought to count as a burst: some 60 records, more
  // than a program saving a file or two makes.
  static constexpr size_t kBurstBytes = 4096;
  // How long a busy queue is left to fill before it is read: hundreds of
  // records at burst rates, short against the kernel's queue (16,384 inotify
  // events fill in no less than about 100 ms) and against what a person notices.
  static constexpr std::chrono::milliseconds kFillPause{5};
  // The pause in a burst of other folders' records: what a change of the
  // watched folder may wait for while another program floods the disk.
  static constexpr std::chrono::microseconds kElsewherePause{1000};
  // How long the folder's own changes must have been quiet for that: two
  // paced reads, longer than the gaps within a program's burst.
  static constexpr std::chrono::milliseconds kOwnQuiet = 2 * kFillPause;
  // The pause in a burst of other folders' records that a record of the
  // folder's own ends early: a flood of 3,000 deletions a second elsewhere
  // then wakes the thread some 100 times a second.
  static constexpr std::chrono::milliseconds kWakeablePause{20};

  // Called after each wake-up with how long the thread waited and what the
  // drain before the wait read; returns the pause before reading.
  Duration PauseBeforeRead(Duration waited, DrainSummary before) {
    const bool own = before.bytes > 0 && !before.elsewhereOnly;
    sinceOwn_ = own ? waited : std::min<Duration>(sinceOwn_ + lastPause_ + waited, kOwnQuiet);
    lastPause_ = Pause(waited, before);
    return lastPause_;
  }
  // The last pause returned was one for a burst of other folders' records.
  bool PausedForOthers() const { return pausedForOthers_; }
  // From now on such a pause ends early when the folder's own record comes.
  void OthersPausesWakeable() { wakeable_ = true; }

 private:
  Duration Pause(Duration waited, DrainSummary before) {
    const bool burst = runBytes_ >= kBurstBytes;
    if (waited >= kQuietGap || (waited >= kBurstGap && !burst)) {
      runBytes_ = 0;
    } else if (waited < kBurstGap) {
      runBytes_ += before.bytes;
    }
    pausedForOthers_ = before.elsewhereOnly && sinceOwn_ >= kOwnQuiet;
    if (runBytes_ < kBurstBytes && !(wakeable_ && pausedForOthers_ && waited < kWakeablePause)) {
      pausedForOthers_ = false;
      return Duration::zero();
    }
    return pausedForOthers_ ? Duration(kElsewherePause) : Duration(kFillPause);
  }

  size_t runBytes_ = 0;  // brought by the close wake-ups of this run
  // Since the last read that held a change of the folder (at least: the time
  // spent reading is not counted), up to kOwnQuiet, which it starts at.
  Duration sinceOwn_ = kOwnQuiet;
  Duration lastPause_{};
  bool pausedForOthers_ = false;
  bool wakeable_ = false;
};

}  // namespace tavrek::engine
