// Feeds a shown watch window (offscreen) a million change events at 100,000
// a second and reports the user-interface thread's time per 100,000 events,
// the memory per change-log row, how long scrolling a million rows takes, and
// what a burst costs while the user reads a selected row further down (the
// view then keeps that row in place).
//   QT_QPA_PLATFORM=offscreen ui_window_feed [events] [events-per-second]
#include <sys/resource.h>
#include <time.h>

#include <QApplication>
#include <QScrollBar>
#include <QTableView>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "core/engine/action.h"
#include "ui/window/watch_window.h"

namespace {

using namespace tavrek;
using Clock = std::chrono::steady_clock;

constexpr size_t kDefaultEvents = 1'000'000;
constexpr size_t kDefaultRate = 100'000;
constexpr size_t kBatch = 1'000;  // events per kernel read at that rate
constexpr size_t kDistinctFiles = 20'000;

double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

size_t ResidentBytes() {
  std::ifstream status("/proc/self/statm");
  size_t pages = 0, resident = 0;
  status >> pages >> resident;
  return resident * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

// The events of one kernel read, made just before they are fed, so that the
// process holds no more than the window does.
engine::EventBatch MakeBatch(size_t first, uint64_t generation, const platform::SystemTime& now,
                             size_t& pathBytes) {
  engine::EventBatch batch;
  batch.generation = generation;
  for (size_t i = first; i < first + kBatch; ++i) {
    engine::ChangeEvent& event = batch.events.emplace_back();
    const size_t file = i % kDistinctFiles;
    event.path = "/home/user/work/d" + std::to_string(file % 200) + "/f" + std::to_string(file) + ".dat";
    event.action = engine::Action::kWritten;
    event.kindIndex = engine::kKindWrite;
    event.time = now;
    pathBytes += event.path.size();
  }
  return batch;
}

}  // namespace

int main(int argc, char** argv) {
  if (!getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication application(argc, argv);
  const size_t count = argc > 1 ? std::stoul(argv[1]) : kDefaultEvents;
  const size_t rate = argc > 2 ? std::stoul(argv[2]) : kDefaultRate;

  ui::WatchWindowContext context;
  context.systemText = "bench";
  ui::WatchWindow window(context);
  window.resize(1200, 800);
  window.show();
  QApplication::processEvents();

  size_t pathBytes = 0;
  const platform::SystemTime now = platform::GetLocalTime();
  const size_t residentBefore = ResidentBytes();

  const auto batchInterval = std::chrono::nanoseconds(1'000'000'000LL * kBatch / rate);
  // Making the events is a source thread's work: only the window's is counted.
  double cpu = 0;
  const auto wallStart = Clock::now();
  auto due = wallStart;
  for (size_t first = 0; first < count; first += kBatch) {
    engine::EventBatch batch = MakeBatch(first, window.session().generation(), now, pathBytes);
    std::this_thread::sleep_until(due);
    due += batchInterval;
    const double cpuStart = ThreadCpuSeconds();
    window.session().queue().Push(std::move(batch));
    QApplication::processEvents();  // the bridge's tick runs here
    cpu += ThreadCpuSeconds() - cpuStart;
  }
  const double cpuStart = ThreadCpuSeconds();
  window.FlushViews();
  QApplication::processEvents();
  cpu += ThreadCpuSeconds() - cpuStart;
  const double wall = std::chrono::duration<double>(Clock::now() - wallStart).count();
  const size_t residentAfter = ResidentBytes();

  // Scroll through the million rows: jump to ten places and paint each.
  QTableView* log = window.changeLog();
  constexpr int kJumps = 10;
  double scrollMs = 0;
  double slowestMs = 0;
  for (int jump = 1; jump <= kJumps; ++jump) {
    const auto jumpStart = Clock::now();
    log->verticalScrollBar()->setValue(log->verticalScrollBar()->maximum() * jump / kJumps);
    log->viewport()->repaint();
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - jumpStart).count();
    scrollMs += ms / kJumps;
    slowestMs = std::max(slowestMs, ms);
  }
  // The user reads a selected row in the middle while bursts come in.
  log->selectRow(log->model()->rowCount() / 2);
  constexpr int kReadingBursts = 50;
  const double readingStart = ThreadCpuSeconds();
  for (int burst = 0; burst < kReadingBursts; ++burst) {
    engine::EventBatch batch = MakeBatch(count + burst * kBatch, window.session().generation(), now, pathBytes);
    window.session().queue().Push(std::move(batch));
    window.FlushViews();
  }
  const double readingMs = (ThreadCpuSeconds() - readingStart) * 1000.0 / kReadingBursts;
  const size_t rows = window.session().log().size();
  std::printf("events fed             %zu at %zu/s\n", count, rate);
  std::printf("rows in the log        %zu (view shows %d)\n", rows, log->model()->rowCount());
  std::printf("UI thread CPU          %.3f s of %.3f s wall (%.1f %%)\n", cpu, wall, 100.0 * cpu / wall);
  std::printf("UI thread per 100,000  %.1f ms\n", cpu * 1000.0 * 100'000.0 / static_cast<double>(count));
  // The log's own storage (memory and spill file) says what a row costs.
  const double logBytes = static_cast<double>(window.session().log().BytesReserved());
  std::printf("log memory per row     %.1f bytes (%.1f beyond path texts)\n",
              logBytes / static_cast<double>(rows),
              (logBytes - static_cast<double>(pathBytes)) / static_cast<double>(rows));
  std::printf("log on disk            %.1f MB\n",
              static_cast<double>(window.session().log().DiskBytes()) / 1e6);
  std::printf("process growth         %.1f MB\n",
              (static_cast<double>(residentAfter) - static_cast<double>(residentBefore)) / 1e6);
  std::printf("scroll jump + paint    %.2f ms (slowest %.2f ms)\n", scrollMs, slowestMs);
  std::printf("burst of %zu, reading   %.2f ms\n", kBatch, readingMs);
  std::printf("resident at the end   %.1f MB\n", static_cast<double>(ResidentBytes()) / 1e6);
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("Rss")) std::printf("  %s\n", line.c_str());
  }
  return 0;
}
