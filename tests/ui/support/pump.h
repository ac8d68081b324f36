#pragma once
// Runs the event loop until a condition holds, with a bound.
#include <QCoreApplication>
#include <QThread>
#include <chrono>
#include <functional>

namespace tavrek::testing {

inline bool PumpUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds limit = std::chrono::seconds(10)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return condition();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(2);
  }
  return true;
}

}  // namespace tavrek::testing
