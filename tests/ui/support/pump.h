#pragma once
// Runs the event loop until a condition holds, with a bound.
#include <QCoreApplication>

#include "support/wait_until.h"

namespace tavrek::testing {

inline bool PumpUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds limit = std::chrono::seconds(10)) {
  return WaitUntil([&condition] { return condition() || (QCoreApplication::processEvents(), condition()); }, limit);
}

}  // namespace tavrek::testing
