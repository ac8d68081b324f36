// Resident memory of a watcher while a folder sees create-write-delete cycles
// over a fixed set of names, phase after phase:
//   cycle_memory FOLDER CYCLES PHASES -- WATCHER ARGS...
// e.g. cycle_memory /tmp/w 300000 2 -- build/src/cli/tavrek-watch --export x.csv /tmp/w
// Starts the watcher, waits for its first line (ready), then runs PHASES
// phases of CYCLES cycles (1,000 names reused). After each phase it waits
// until the watcher's output has been quiet for a second and prints the
// watcher's resident memory. Then stops the watcher with SIGTERM (so an
// export is written) and prints the lines it printed.
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"

namespace {

using namespace tavrek::bench;

constexpr size_t kNames = 1'000;
constexpr mode_t kFileMode = 0644;
constexpr auto kQuiet = std::chrono::seconds(1);
constexpr auto kReadyBound = std::chrono::seconds(60);

bool Cycle(const std::string& path) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kFileMode);
  if (fd < 0) return false;
  const bool written = write(fd, "data\n", 5) == 5;
  close(fd);
  return written && unlink(path.c_str()) == 0;
}

// Drains the watcher's output on its own thread, counting lines.
class Drain {
 public:
  explicit Drain(ChildProcess& child) : child_(child), thread_([this] { Run(); }) {}
  ~Drain() {
    stop_ = true;
    thread_.join();
  }
  size_t lines() const { return lines_; }
  Clock::time_point lastLine() const { return Clock::time_point(Clock::duration(last_.load())); }

 private:
  void Run() {
    const auto onLine = [this](Stream stream, std::string_view, Clock::time_point at) {
      if (stream != Stream::kOut) return;
      ++lines_;
      last_ = at.time_since_epoch().count();
    };
    while (!stop_ && child_.ReadLines(Clock::now() + std::chrono::milliseconds(100), onLine)) {
    }
  }
  ChildProcess& child_;
  std::atomic<bool> stop_{false};
  std::atomic<size_t> lines_{0};
  std::atomic<Clock::rep> last_{0};
  std::thread thread_;
};

void WaitQuiet(const Drain& drain) {
  while (Clock::now() - drain.lastLine() < kQuiet) std::this_thread::sleep_for(kQuiet / 4);
}

}  // namespace

int main(int argc, char** argv) {
  int separator = 1;
  while (separator < argc && std::string(argv[separator]) != "--") ++separator;
  if (separator != 4 || separator + 1 >= argc) {
    std::fprintf(stderr, "usage: cycle_memory FOLDER CYCLES PHASES -- WATCHER ARGS...\n");
    return 2;
  }
  const std::string folder = argv[1];
  const size_t cycles = std::stoul(argv[2]);
  const size_t phases = std::stoul(argv[3]);
  std::string error;
  const std::vector<std::string> watcher(argv + separator + 1, argv + argc);
  auto child = ChildProcess::Spawn(watcher, error);
  if (!child || !WaitForMarker(*child, {}, Clock::now() + kReadyBound)) {
    std::fprintf(stderr, "cycle_memory: the watcher did not start: %s\n", error.c_str());
    return 1;
  }
  std::printf("phase 0: resident %ld KiB\n", ResidentKib(child->pid()));
  {
    Drain drain(*child);
    for (size_t phase = 1; phase <= phases; ++phase) {
      const auto start = Clock::now();
      for (size_t i = 0; i < cycles; ++i) {
        if (!Cycle(folder + "/n" + std::to_string(i % kNames))) {
          std::perror("cycle_memory");
          return 1;
        }
      }
      const double seconds = Milliseconds(Clock::now() - start) / 1000.0;
      WaitQuiet(drain);
      std::printf("phase %zu: %zu cycles in %.1f s, %zu lines so far, resident %ld KiB\n", phase,
                  cycles, seconds, drain.lines(), ResidentKib(child->pid()));
      std::fflush(stdout);
    }
  }
  const int status = child->Stop();
  std::printf("watcher ended with status %d\n", status);
  return 0;
}
