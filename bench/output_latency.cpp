// Latency from creating a file to the watcher's line naming it, read through a
// pipe as a console reader sees it:
//   output_latency FOLDER [--files N] [--interval-ms M] [--write-bytes B] [--stderr TEXT]
//                  COMMAND...
// Starts COMMAND (a watcher of FOLDER), waits until it is ready (its first line
// on standard output, or with --stderr the first line on standard error that
// holds TEXT), then creates FOLDER/lat-00000, lat-00001, ... one every M ms
// (200 files, 100 ms), writing B bytes into each before it is closed (none:
// a new empty file; some: a file made as `echo text > file` makes it), and
// times until the first output line naming each file arrives. Prints "files N seen S p50_ms X p99_ms Y max_ms Z".
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "child_process.h"

namespace {

using namespace tavrek::bench;

constexpr size_t kDefaultFiles = 200;
constexpr long kDefaultIntervalMs = 100;
constexpr auto kReadyBound = std::chrono::minutes(10);
constexpr auto kTailBound = std::chrono::seconds(10);  // for the last lines after the last file
constexpr std::string_view kNamePrefix = "lat-";
constexpr int kNameDigits = 5;
constexpr mode_t kFileMode = 0644;
constexpr double kP50 = 0.50;
constexpr double kP99 = 0.99;

struct Options {
  std::string folder;
  size_t files = kDefaultFiles;
  std::chrono::milliseconds interval{kDefaultIntervalMs};
  size_t writeBytes = 0;
  ReadyMarker marker;
  std::vector<std::string> command;
};

std::optional<Options> ParseOptions(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return std::nullopt;
  Options options;
  options.folder = arguments[0];
  size_t i = 1;
  for (; i + 1 < arguments.size() && arguments[i].starts_with("--"); i += 2) {
    const std::string& value = arguments[i + 1];
    if (arguments[i] == "--files") {
      options.files = std::strtoull(value.c_str(), nullptr, 10);
    } else if (arguments[i] == "--interval-ms") {
      options.interval = std::chrono::milliseconds(std::strtol(value.c_str(), nullptr, 10));
    } else if (arguments[i] == "--write-bytes") {
      options.writeBytes = std::strtoull(value.c_str(), nullptr, 10);
    } else if (arguments[i] == "--stderr") {
      options.marker = {Stream::kErr, value};
    } else {
      return std::nullopt;
    }
  }
  options.command.assign(arguments.begin() + static_cast<std::ptrdiff_t>(i), arguments.end());
  if (options.command.empty() || options.files == 0) return std::nullopt;
  return options;
}

std::string FileName(size_t index) {
  std::string digits = std::to_string(index);
  digits.insert(0, static_cast<size_t>(kNameDigits) - std::min<size_t>(digits.size(), kNameDigits),
                '0');
  return std::string(kNamePrefix) + digits;
}

// When each probe file was created and when its line arrived.
class Probes {
 public:
  explicit Probes(size_t count) : created_(count), latencyMs_(count, std::nan("")) {}

  void Created(size_t index, Clock::time_point at) { created_[index] = at; }
  size_t Seen() const { return seen_; }
  bool AllSeen() const { return seen_ == created_.size(); }

  // Takes the first line naming an already created probe as its arrival.
  void Line(std::string_view line, Clock::time_point at) {
    const size_t name = line.find(kNamePrefix);
    if (name == std::string_view::npos) return;
    const std::string digits(line.substr(name + kNamePrefix.size(), kNameDigits));
    char* end = nullptr;
    const size_t index = std::strtoull(digits.c_str(), &end, 10);
    if (end != digits.c_str() + kNameDigits || index >= created_.size()) return;
    if (created_[index] == Clock::time_point{} || !std::isnan(latencyMs_[index])) return;
    latencyMs_[index] = Milliseconds(at - created_[index]);
    ++seen_;
  }

  std::vector<double> SortedLatencies() const {
    std::vector<double> sorted;
    for (double latency : latencyMs_) {
      if (!std::isnan(latency)) sorted.push_back(latency);
    }
    std::sort(sorted.begin(), sorted.end());
    return sorted;
  }

 private:
  std::vector<Clock::time_point> created_;
  std::vector<double> latencyMs_;  // NaN until seen
  size_t seen_ = 0;
};

// Nearest-rank percentile of sorted values.
double Percentile(const std::vector<double>& sorted, double fraction) {
  const auto rank = static_cast<size_t>(std::ceil(fraction * static_cast<double>(sorted.size())));
  return sorted[std::clamp<size_t>(rank, 1, sorted.size()) - 1];
}

// Reads lines into the probes until `until`; false when the watcher ended.
bool ReadUntil(ChildProcess& child, Probes& probes, Clock::time_point until, bool stopWhenAllSeen) {
  const auto onLine = [&probes](Stream stream, std::string_view line, Clock::time_point at) {
    if (stream == Stream::kOut) probes.Line(line, at);
  };
  while (Clock::now() < until) {
    if (stopWhenAllSeen && probes.AllSeen()) return true;
    if (!child.ReadLines(until, onLine)) return false;
  }
  return true;
}

// A file that existed already would raise no creation event.
bool CreateProbe(const std::string& path, size_t writeBytes) {
  const int fd = open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, kFileMode);
  if (fd < 0) return false;
  const std::string content(writeBytes, 'x');
  const bool written =
      writeBytes == 0 || write(fd, content.data(), content.size()) == static_cast<ssize_t>(writeBytes);
  return close(fd) == 0 && written;
}

bool RunProbes(ChildProcess& child, const Options& options, Probes& probes) {
  const Clock::time_point first = Clock::now();
  for (size_t i = 0; i < options.files; ++i) {
    if (!ReadUntil(child, probes, first + options.interval * static_cast<int64_t>(i), false)) {
      return false;
    }
    probes.Created(i, Clock::now());
    if (!CreateProbe(options.folder + "/" + FileName(i), options.writeBytes)) {
      std::perror(FileName(i).c_str());
      return false;
    }
  }
  return ReadUntil(child, probes, Clock::now() + kTailBound, true);
}

}  // namespace

int main(int argc, char** argv) {
  const auto options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (!options) {
    std::fprintf(stderr,
                 "usage: %s FOLDER [--files N] [--interval-ms M] [--write-bytes B] [--stderr TEXT] "
                 "COMMAND...\n",
                 argv[0]);
    return 2;
  }
  std::string error;
  auto child = ChildProcess::Spawn(options->command, error);
  if (!child) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  if (!WaitForMarker(*child, options->marker, Clock::now() + kReadyBound)) {
    std::fprintf(stderr, "%s: never ready\n", options->command[0].c_str());
    return 1;
  }
  Probes probes(options->files);
  const bool watcherLasted = RunProbes(*child, *options, probes);
  child->Stop();
  const std::vector<double> sorted = probes.SortedLatencies();
  if (!watcherLasted || sorted.empty()) {
    std::fprintf(stderr, "the watcher ended early or reported no probe file\n");
    return 1;
  }
  std::printf("files %zu seen %zu p50_ms %.2f p99_ms %.2f max_ms %.2f\n", options->files,
              probes.Seen(), Percentile(sorted, kP50), Percentile(sorted, kP99), sorted.back());
  return 0;
}
