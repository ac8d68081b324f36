#pragma once
// What a status row of the change log is about, as a value: its text is for
// the display only, machine readers get a key from the kind.
#include <cstdint>

namespace tavrek::engine {

enum class StatusKind : uint8_t {
  kOther,
  kStart,
  kStop,
  kInotifyFallback,
  kWatchLimit,
  kOverflow,
  kNoAccess,
  kRescanStart,
  kRescanDone,
  kFanotifyRefused,
};

}  // namespace tavrek::engine
