// Keeps a file system steadily busy the way other programs do beside a watch
// (a build, a cache, a mail client): creates a small file, writes a few bytes
// into it, closes it and deletes it, RATE times a second, in FOLDER:
//   disk_churn FOLDER RATE [SECONDS]
// Runs until SIGTERM or SIGINT, or for SECONDS when given; then prints
// "files N seconds S". The files are spread over the steps of a millisecond,
// so the rate is steady rather than a burst a second; a step that falls
// behind is made up at once. Exits 1 at the first failure.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kStep = std::chrono::milliseconds(1);
constexpr mode_t kFileMode = 0644;
constexpr char kContent[] = "churn churn\n";
// Names reused in turn: a handful of live names at most, as a cache would have.
constexpr unsigned kNames = 64;

volatile std::sig_atomic_t stopAsked = 0;

void AskStop(int) { stopAsked = 1; }

bool Churn(const std::string& folder, unsigned index) {
  const std::string path = folder + "/c" + std::to_string(index % kNames);
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kFileMode);
  if (fd < 0) return false;
  const bool written = write(fd, kContent, sizeof kContent - 1) == sizeof kContent - 1;
  return close(fd) == 0 && written && unlink(path.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: disk_churn FOLDER RATE [SECONDS]\n");
    return 2;
  }
  const std::string folder = argv[1];
  const double rate = std::strtod(argv[2], nullptr);
  const double seconds = argc > 3 ? std::strtod(argv[3], nullptr) : 0;
  if (rate <= 0) {
    std::fprintf(stderr, "disk_churn: RATE must be positive\n");
    return 2;
  }
  std::signal(SIGTERM, AskStop);
  std::signal(SIGINT, AskStop);
  const Clock::time_point start = Clock::now();
  const auto end = start + std::chrono::duration<double>(seconds);
  unsigned done = 0;
  for (Clock::time_point step = start; !stopAsked; step += kStep) {
    if (seconds > 0 && step >= end) break;
    std::this_thread::sleep_until(step);
    const double due = rate * std::chrono::duration<double>(step + kStep - start).count();
    while (done < due && !stopAsked) {
      if (!Churn(folder, done)) {
        std::perror(folder.c_str());
        return 1;
      }
      ++done;
    }
  }
  const double took = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf("files %u seconds %.1f\n", done, took);
  return 0;
}
