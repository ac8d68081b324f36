// Time from starting a watcher command until it says that its watches are set
// up, and its resident memory then. Ready is the first line on standard output,
// or with --stderr the first line on standard error that holds TEXT:
//   command_ready [--stderr TEXT] COMMAND...
// Prints "ready_ms X rss_kib Y cpu_ms Z" (Z: the CPU time the command has
// used by then, which a busy machine blurs far less than X); exits 1 when the command ends or stays silent
// for ten minutes.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "child_process.h"

namespace {

using tavrek::bench::ChildProcess;
using tavrek::bench::Clock;
using tavrek::bench::ReadyMarker;
using tavrek::bench::Stream;

constexpr auto kReadyBound = std::chrono::minutes(10);

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  ReadyMarker marker;
  if (arguments.size() >= 2 && arguments[0] == "--stderr") {
    marker = {Stream::kErr, arguments[1]};
    arguments.erase(arguments.begin(), arguments.begin() + 2);
  }
  if (arguments.empty()) {
    std::fprintf(stderr, "usage: %s [--stderr TEXT] COMMAND...\n", argv[0]);
    return 2;
  }
  std::string error;
  const Clock::time_point start = Clock::now();
  auto child = ChildProcess::Spawn(arguments, error);
  if (!child) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  const std::optional<Clock::time_point> ready =
      tavrek::bench::WaitForMarker(*child, marker, Clock::now() + kReadyBound);
  const long residentKib = tavrek::bench::ResidentKib(child->pid());
  const double cpuMs = tavrek::bench::CpuMilliseconds(child->pid());
  child->Stop();
  if (!ready) {
    std::fprintf(stderr, "%s: never ready\n", arguments[0].c_str());
    return 1;
  }
  std::printf("ready_ms %.1f rss_kib %ld cpu_ms %.0f\n",
              tavrek::bench::Milliseconds(*ready - start), residentKib, cpuMs);
  return 0;
}
