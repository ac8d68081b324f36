#pragma once
// Waiting on a condition with a bound instead of sleeping a fixed time.
#include <chrono>
#include <functional>
#include <thread>

namespace tavrek::testing {

// Polls `condition` until it holds or `limit` passes; returns its last value.
inline bool WaitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds limit = std::chrono::seconds(10)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return condition();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

}  // namespace tavrek::testing
