// The search over the change log: CPU time for a search that finds nothing
// (every row looked at) and the longest single step of 4,096 rows, which is
// the unit a window's search slice is made of, for a log in memory and one
// spilled to its file.
//   log_search [ROWS]        ROWS default 2,000,000
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "core/engine/action.h"
#include "core/engine/change_log.h"
#include "core/engine/log_search.h"
#include "core/engine/watch_options.h"

namespace {

using namespace tavrek;

constexpr size_t kDefaultRows = 2'000'000;
constexpr size_t kDistinctPaths = 20'000;
constexpr size_t kRowsPerStep = 4096;

double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void Fill(engine::ChangeLog& log, size_t rows) {
  engine::ChangeEvent event;
  event.time = platform::GetLocalTime();
  for (size_t i = 0; i < rows; ++i) {
    const size_t path = i % kDistinctPaths;
    event.path = "/home/user/projects/tree/d" + std::to_string(path % 100) +
                 (path % 10 == 0 ? "/Größe-" : "/file-") + std::to_string(path) + ".txt";
    const bool write = i % 3 != 0;
    event.action = write ? engine::Action::kWritten : engine::Action::kCreated;
    event.kindIndex = write ? engine::kKindWrite : engine::kKindName;
    event.recordPosition = static_cast<uint16_t>(i % 256);
    log.AddEvent(event, "");
  }
}

void Measure(const char* name, std::optional<engine::SpillSettings> spill, size_t rows) {
  engine::ChangeLog log(engine::ProcessNames::Shared(), std::move(spill));
  Fill(log, rows);
  engine::LogSearch search(log, "nirgends", log.size(), std::nullopt, engine::SearchDirection::kOlder);
  double longestStep = 0;
  const double start = CpuSeconds();
  for (;;) {
    const double stepStart = CpuSeconds();
    const engine::LogSearchStep step = search.Step(kRowsPerStep);
    longestStep = std::max(longestStep, CpuSeconds() - stepStart);
    if (step.state != engine::LogSearchStep::State::kSearching) break;
  }
  const double total = CpuSeconds() - start;
  std::printf("%-6s %zu rows: whole search %.2f s CPU (%.0f ns per row), longest step of %zu rows %.1f ms\n",
              name, rows, total, total * 1e9 / static_cast<double>(rows), kRowsPerStep, longestStep * 1e3);
}

}  // namespace

int main(int argc, char** argv) {
  const size_t rows = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : kDefaultRows;
  Measure("memory", std::nullopt, rows);
  Measure("spill", engine::SpillSettings{}, rows);
  return 0;
}
