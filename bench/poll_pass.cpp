// Cost of one polling pass: a tree of 10,000 folders holding 100,000 files
// (ten per folder) is made below the temporary folder, read once as the
// baseline, then passed over a few times; prints the processor time of one
// pass, the interval the polling would keep to, and the time of a pass that
// only looks for changed names.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <thread>

#include "core/engine/backend/poll/poll_interval.h"
#include "core/engine/backend/poll/tree_poller.h"

namespace {

constexpr int kTopFolders = 100;
constexpr int kFoldersEach = 100;  // 100 x 100 = 10,000 folders
constexpr int kFilesEach = 10;     // 100,000 files
constexpr int kPasses = 5;
constexpr std::chrono::seconds kStampsSettle{3};

double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

bool MakeTree(const std::string& root) {
  for (int top = 0; top < kTopFolders; ++top) {
    const std::string topPath = root + "t" + std::to_string(top) + "/";
    if (mkdir(topPath.c_str(), 0755) != 0) return false;
    for (int inner = 0; inner < kFoldersEach - 1; ++inner) {
      const std::string folder = topPath + "f" + std::to_string(inner) + "/";
      if (mkdir(folder.c_str(), 0755) != 0) return false;
      for (int file = 0; file < kFilesEach; ++file) {
        std::FILE* out = std::fopen((folder + std::to_string(file)).c_str(), "w");
        if (out == nullptr) return false;
        std::fclose(out);
      }
    }
    for (int file = 0; file < kFilesEach; ++file) {
      std::FILE* out = std::fopen((topPath + std::to_string(file)).c_str(), "w");
      if (out == nullptr) return false;
      std::fclose(out);
    }
  }
  return true;
}

}  // namespace

int main() {
  char pattern[] = "/tmp/tavrek-poll-bench-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return 1;
  const std::string root = std::string(pattern) + "/";
  if (!MakeTree(root)) return 1;
  tavrek::engine::TreePoller poller(root, true, nullptr);
  double start = ThreadSeconds();
  if (!poller.Baseline()) return 1;
  std::printf("baseline: %.3f s for %u folders, %llu entries\n", ThreadSeconds() - start,
              poller.folderCount(), static_cast<unsigned long long>(poller.entryCount()));
  std::vector<tavrek::engine::RawChange> changes;
  double total = 0;
  for (int pass = 0; pass < kPasses; ++pass) {
    start = ThreadSeconds();
    poller.Pass(changes);
    total += ThreadSeconds() - start;
  }
  const double perPass = total / kPasses;
  // What the backend pays between whole readings: one status read per
  // directory, full reads only where a directory's names changed. A
  // directory changed in the last seconds is read in full, so the tree's
  // making must be that long ago.
  std::this_thread::sleep_for(kStampsSettle);
  poller.Pass(changes);
  double looking = 0;
  for (int pass = 0; pass < kPasses; ++pass) {
    start = ThreadSeconds();
    poller.Pass(changes, 0);
    looking += ThreadSeconds() - start;
  }
  const auto interval = tavrek::engine::PollIntervalInForce(
      tavrek::engine::kDefaultPollInterval,
      std::chrono::nanoseconds(static_cast<int64_t>(perPass * 1e9)));
  std::printf("one pass: %.3f s processor time (%zu changes), interval in force %lld ms\n",
              perPass, changes.size(), static_cast<long long>(interval.count()));
  std::printf("a pass looking for changed names only: %.3f s processor time (%zu read in full)\n",
              looking / kPasses, poller.readCount());
  std::filesystem::remove_all(pattern);
  return 0;
}
