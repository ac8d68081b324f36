// Resident memory of a shown watch window (offscreen) that watches a folder
// while it sees create-write-delete cycles over 1,000 names, phase after
// phase, as a user would run it:
//   QT_QPA_PLATFORM=offscreen ui_window_cycles FOLDER [CYCLES] [PHASES]
// (300,000 cycles, 2 phases). After each phase the window handles what is
// left, then its resident memory and log size are printed.
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "core/app/command_ids.h"
#include "ui/window/watch_window.h"

namespace {

using namespace tavrek;
using Clock = std::chrono::steady_clock;

constexpr size_t kNames = 1'000;
constexpr mode_t kFileMode = 0644;
constexpr auto kQuiet = std::chrono::seconds(1);

size_t ResidentKiB() {
  std::ifstream status("/proc/self/statm");
  size_t pages = 0, resident = 0;
  status >> pages >> resident;
  return resident * static_cast<size_t>(sysconf(_SC_PAGESIZE)) / 1024;
}

void Cycles(const std::string& folder, size_t count, std::atomic<bool>& done) {
  for (size_t i = 0; i < count; ++i) {
    const std::string path = folder + "/n" + std::to_string(i % kNames);
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kFileMode);
    if (fd >= 0) {
      [[maybe_unused]] ssize_t written = write(fd, "data\n", 5);
      close(fd);
    }
    unlink(path.c_str());
  }
  done = true;
}

// Runs the event loop until the generator is done and the log has not grown
// for a second.
void RunUntilQuiet(ui::WatchWindow& window, const std::atomic<bool>& done) {
  size_t rows = 0;
  auto grew = Clock::now();
  while (!done || Clock::now() - grew < kQuiet) {
    QApplication::processEvents(QEventLoop::AllEvents, 50);
    if (window.session().log().size() != rows) {
      rows = window.session().log().size();
      grew = Clock::now();
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (!getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication application(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: ui_window_cycles FOLDER [CYCLES] [PHASES]\n");
    return 2;
  }
  const std::string folder = argv[1];
  const size_t cycles = argc > 2 ? std::stoul(argv[2]) : 300'000;
  const size_t phases = argc > 3 ? std::stoul(argv[3]) : 2;

  ui::WatchWindowContext context;
  context.systemText = "bench";
  ui::WatchWindow window(context);
  window.resize(1200, 800);
  window.show();
  window.HandleCommand(app::command::kDoScan, QString::fromStdString(folder));
  while (!window.session().SourcesReady()) QApplication::processEvents(QEventLoop::AllEvents, 50);
  std::printf("phase 0: resident %zu KiB\n", ResidentKiB());
  for (size_t phase = 1; phase <= phases; ++phase) {
    std::atomic<bool> done{false};
    std::thread generator(Cycles, folder, cycles, std::ref(done));
    RunUntilQuiet(window, done);
    generator.join();
    const engine::ChangeLog& log = window.session().log();
    std::printf("phase %zu: %zu rows, disk %.1f MiB, resident %zu KiB\n", phase, log.size(),
                static_cast<double>(log.DiskBytes()) / (1024.0 * 1024.0), ResidentKiB());
    std::fflush(stdout);
  }
  return 0;
}
