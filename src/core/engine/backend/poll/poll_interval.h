#pragma once
// How often a folder is read again: the interval asked for, made longer when
// a pass costs so much that polling would take more than its share of a core.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace tavrek::engine {

inline constexpr std::chrono::milliseconds kDefaultPollInterval{2000};
// The longest interval a command line may ask for: a day.
inline constexpr int kLongestPollSeconds = 24 * 60 * 60;
// At most this share of one core goes to polling one folder.
inline constexpr double kPollCoreShare = 0.05;

// The interval in force after a pass that cost `passCost` of processor time:
// `requested`, or the time in which the pass is that share of it, rounded up
// to whole seconds.
std::chrono::milliseconds PollIntervalInForce(std::chrono::milliseconds requested,
                                              std::chrono::nanoseconds passCost);

// Processor time the calling thread has used: what a pass costs.
std::chrono::nanoseconds ThreadCpuTime();

// "2", "0,5": seconds as the German status rows write them.
std::string PollSecondsText(std::chrono::milliseconds interval);

// A number of seconds from the command line ("2", "0.5"); nothing when it is
// not a positive number of at most a day.
std::optional<std::chrono::milliseconds> ParsePollSeconds(std::string_view text);

}  // namespace tavrek::engine
