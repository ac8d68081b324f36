// The change log with its rows in memory and in the spill file, side by
// side: time per added row, resident memory, disk per row, the time to read
// the rows a jump to a random place shows, and the memory an export of every
// row takes.
//   spill_log [ROWS] [DISTINCT_PATHS] [memory|spill]
// ROWS default 10,000,000; DISTINCT_PATHS default 20,000 (each path comes
// again after that many rows); both stores unless one is named.
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/engine/action.h"
#include "core/engine/change_log.h"
#include "core/engine/watch_options.h"
#include "core/lists/change_log_list.h"
#include "core/lists/flat_export.h"

namespace {

using namespace tavrek;
using Clock = std::chrono::steady_clock;

constexpr size_t kDefaultRows = 10'000'000;
constexpr size_t kDefaultDistinct = 20'000;
constexpr size_t kRowsPerJump = 40;  // rows a window shows after a jump
constexpr size_t kJumps = 200;
constexpr double kMiB = 1024.0 * 1024.0;

// A field of /proc/self/status in KiB.
size_t StatusKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  const std::string prefix = std::string(field) + ":";
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(prefix, 0) == 0) return std::strtoull(line.c_str() + prefix.size(), nullptr, 10);
  }
  return 0;
}

void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

std::vector<std::string> MakePaths(size_t distinct) {
  std::vector<std::string> paths;
  for (size_t i = 0; i < distinct; ++i) {
    paths.push_back("/home/user/projects/tree/d" + std::to_string(i % 100) +
                    (i % 10 == 0 ? "/Größe-" : "/file-") + std::to_string(i) + ".txt");
  }
  return paths;
}

// The CPU seconds the rows took (on a shared machine the wall clock says less).
double Fill(engine::ChangeLog& log, size_t rows, const std::vector<std::string>& paths) {
  engine::ChangeEvent event;
  event.time = platform::GetLocalTime();
  const double start = CpuSeconds();
  for (size_t i = 0; i < rows; ++i) {
    event.path = paths[i % paths.size()];
    const bool write = i % 3 != 0;
    event.action = write ? engine::Action::kWritten : engine::Action::kCreated;
    event.kindIndex = write ? engine::kKindWrite : engine::kKindName;
    event.recordPosition = static_cast<uint16_t>(i % 256);
    log.AddEvent(event, "");
  }
  return CpuSeconds() - start;
}

// Every cell of kRowsPerJump rows at a random place, kJumps times; the
// average time per jump in milliseconds.
double Jumps(const engine::ChangeLog& log) {
  std::mt19937_64 random(42);
  engine::ChangeLog::CellBuffer buffer;
  size_t bytes = 0;
  const auto start = Clock::now();
  for (size_t jump = 0; jump < kJumps; ++jump) {
    const size_t first = random() % (log.size() - kRowsPerJump);
    for (size_t row = first; row < first + kRowsPerJump; ++row) {
      for (int column = 0; column < engine::kLogColumnCount; ++column) {
        bytes += log.CellView(row, column, buffer).size();
      }
    }
  }
  if (bytes == 0) std::puts("");
  return Seconds(start) * 1000.0 / kJumps;
}

class NullSink : public lists::Sink {
 public:
  bool Write(std::string_view text) override {
    bytes += text.size();
    return true;
  }
  size_t bytes = 0;
};

void Measure(const char* name, std::optional<engine::SpillSettings> spill, size_t rows,
             const std::vector<std::string>& paths) {
  const size_t before = StatusKiB("VmRSS");
  engine::ChangeLog log(engine::ProcessNames::Shared(), std::move(spill));
  const double seconds = Fill(log, rows, paths);
  const size_t after = StatusKiB("VmRSS");
  std::printf("%s: %zu rows in %.2f s of CPU, %.0f ns per row\n", name, rows, seconds,
              seconds * 1e9 / static_cast<double>(rows));
  std::printf("%s: resident %zu KiB of memory, %zu KiB of files, %zu KiB shared\n", name,
              StatusKiB("RssAnon"), StatusKiB("RssFile"), StatusKiB("RssShmem"));
  std::printf("%s: resident growth %.1f MiB, disk %.1f MiB (%.1f bytes per row)\n", name,
              static_cast<double>(after - before) / 1024.0,
              static_cast<double>(log.DiskBytes()) / kMiB,
              static_cast<double>(log.DiskBytes()) / static_cast<double>(rows));
  std::printf("%s: %zu rows at a random place, cold: %.3f ms per jump\n", name, kRowsPerJump,
              Jumps(log));
  ResetPeak();
  const size_t exportBefore = StatusKiB("VmRSS");
  NullSink sink;
  const auto start = Clock::now();
  lists::WriteFlatList(lists::ChangeLogList(log), lists::ExportFormat::Txt, sink);
  std::printf("%s: TXT export of every row %.1f s, %.0f MiB, peak resident growth %.1f MiB\n",
              name, Seconds(start), static_cast<double>(sink.bytes) / kMiB,
              static_cast<double>(StatusKiB("VmHWM") - exportBefore) / 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
  const size_t rows = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : kDefaultRows;
  const size_t distinct = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : kDefaultDistinct;
  const std::string only = argc > 3 ? argv[3] : "";
  const std::vector<std::string> paths = MakePaths(distinct);
  if (only.empty() || only == "memory") Measure("memory", std::nullopt, rows, paths);
  if (only.empty() || only == "spill") Measure("spill", engine::SpillSettings{}, rows, paths);
  return 0;
}
