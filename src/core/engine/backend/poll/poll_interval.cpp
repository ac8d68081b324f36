#include "core/engine/backend/poll/poll_interval.h"

#include <charconv>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace tavrek::engine {
namespace {

constexpr double kMillisecondsPerSecond = 1000.0;

}  // namespace

std::chrono::milliseconds PollIntervalInForce(std::chrono::milliseconds requested,
                                              std::chrono::nanoseconds passCost) {
  const double seconds = std::chrono::duration<double>(passCost).count() / kPollCoreShare;
  if (seconds * kMillisecondsPerSecond <= static_cast<double>(requested.count())) return requested;
  return std::chrono::milliseconds(
      static_cast<int64_t>(std::ceil(seconds) * kMillisecondsPerSecond));
}

std::chrono::nanoseconds ThreadCpuTime() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

std::string PollSecondsText(std::chrono::milliseconds interval) {
  char text[32];
  const int length =
      std::snprintf(text, sizeof text, "%g", static_cast<double>(interval.count()) / kMillisecondsPerSecond);
  std::string result(text, static_cast<size_t>(std::max(length, 0)));
  for (char& c : result) {
    if (c == '.') c = ',';
  }
  return result;
}

std::optional<std::chrono::milliseconds> ParsePollSeconds(std::string_view text) {
  double seconds = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (!(seconds > 0) || seconds > kLongestPollSeconds) return std::nullopt;
  const auto interval =
      std::chrono::milliseconds(static_cast<int64_t>(std::ceil(seconds * kMillisecondsPerSecond)));
  return interval;
}

}  // namespace tavrek::engine
