// Session events handled per second with the change log as a window keeps it
// (spilled to the cache folder), the memory one change-log row costs beyond
// the texts of its path, and the disk it takes.
//   session_throughput [events]
#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/engine/action.h"
#include "core/engine/watch_session.h"

namespace {

using namespace tavrek;

constexpr size_t kDefaultEvents = 2'000'000;
constexpr size_t kBatchSize = 256;  // events one kernel read typically yields
constexpr size_t kDistinctFiles = 10'000;
constexpr size_t kFolders = 100;

std::vector<engine::ChangeEvent> MakeEvents(size_t count) {
  std::vector<engine::ChangeEvent> events(count);
  const platform::SystemTime now = platform::GetLocalTime();
  for (size_t i = 0; i < count; ++i) {
    const size_t file = i % kDistinctFiles;
    engine::ChangeEvent& event = events[i];
    event.path = "/home/user/projects/tree/d" + std::to_string(file % kFolders) + "/file-" +
                 std::to_string(file) + ".txt";
    const bool write = i % 3 != 0;
    event.action = write ? engine::Action::kWritten : engine::Action::kCreated;
    event.kindIndex = write ? engine::kKindWrite : engine::kKindName;
    event.recordPosition = static_cast<uint16_t>(i % kBatchSize);
    event.time = now;
  }
  return events;
}

double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

}  // namespace

int main(int argc, char** argv) {
  const size_t count = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : kDefaultEvents;
  const std::vector<engine::ChangeEvent> events = MakeEvents(count);
  size_t pathBytes = 0;
  for (const auto& event : events) pathBytes += event.path.size();

  engine::WatchSession session;
  session.AddFilterText("*.tmp;*.log", true);  // a realistic filter costs per event
  std::vector<engine::EventBatch> batches;
  for (size_t first = 0; first < count; first += kBatchSize) {
    auto& batch = batches.emplace_back();
    batch.generation = session.generation();
    batch.events.assign(events.begin() + static_cast<std::ptrdiff_t>(first),
                        events.begin() + static_cast<std::ptrdiff_t>(std::min(count, first + kBatchSize)));
  }
  // Through the hand-off a source uses, batch by batch, as the owner's thread
  // sees it.
  const double cpuStart = ThreadCpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  for (auto& batch : batches) {
    session.queue().Push(std::move(batch));
    session.ProcessPending();
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double cpuSeconds = ThreadCpuSeconds() - cpuStart;

  const engine::ChangeLog& log = session.log();
  const double perRow =
      (static_cast<double>(log.BytesReserved()) - static_cast<double>(pathBytes)) /
      static_cast<double>(log.size());
  std::printf("events            %zu\n", count);
  std::printf("rows              %zu\n", log.size());
  std::printf("events/second     %.0f\n", static_cast<double>(count) / seconds);
  // On a shared machine the thread's own time says more than the wall clock.
  std::printf("events/CPU second %.0f\n", static_cast<double>(count) / cpuSeconds);
  std::printf("log on disk       %.1f bytes/row\n",
              static_cast<double>(log.DiskBytes()) / static_cast<double>(log.size()));
  std::printf("bytes/row (fixed) %zu\n", sizeof(engine::LogRow));
  std::printf("bytes/row beyond path texts (incl. block and vector slack) %.1f\n", perRow);
  std::printf("access tree nodes %zu, overview rows %zu\n", session.accessTree().NodeCount(),
              session.accessOverview().size());
  return 0;
}
