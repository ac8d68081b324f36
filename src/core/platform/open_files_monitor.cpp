#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "core/platform/open_files.h"
#include "core/platform/run_program.h"

namespace tavrek::platform {
namespace {

constexpr std::string_view kLister = "smbstatus";
// smbstatus answers within a fraction of a second; a hung one is killed.
constexpr std::chrono::seconds kListerTimeout{10};
// Longer periods are treated as this one, so that deadlines stay representable.
constexpr std::chrono::milliseconds kLongestPeriod = std::chrono::hours(24 * 365);

}  // namespace

struct OpenFilesMonitor::State {
  Runner runner;
  std::chrono::milliseconds period{};
  std::mutex mutex;
  std::condition_variable wake;
  std::shared_ptr<const OpenFileList> latest = std::make_shared<const OpenFileList>();
  bool refreshing = false;  // a refresh thread runs
  bool wanted = false;      // a snapshot was asked for since the last refresh
  bool stopping = false;
  std::thread thread;

  void Run();
  std::shared_ptr<const OpenFileList> Refresh();
};

std::shared_ptr<const OpenFileList> OpenFilesMonitor::State::Refresh() {
  std::optional<std::string> output;
  try {
    output = runner();
  } catch (...) {
    // A runner that throws has failed like one that returns nothing: the list
    // is unknown, so it is empty until the next refresh.
    output.reset();
  }
  return std::make_shared<const OpenFileList>(output ? ParseSmbstatusJson(*output)
                                                     : OpenFileList{});
}

// Waits for a snapshot request, then for the period since the last refresh
// to pass, then refreshes; ends as soon as `stopping` is set.
void OpenFilesMonitor::State::Run() {
  std::unique_lock lock(mutex);
  std::optional<std::chrono::steady_clock::time_point> lastRefresh;
  for (;;) {
    wake.wait(lock, [this] { return stopping || wanted; });
    if (lastRefresh) wake.wait_until(lock, *lastRefresh + period, [this] { return stopping; });
    if (stopping) return;
    wanted = false;
    lastRefresh = std::chrono::steady_clock::now();
    lock.unlock();
    auto list = Refresh();
    lock.lock();
    latest = std::move(list);
  }
}

OpenFilesMonitor::Runner OpenFilesMonitor::DefaultRunner() {
  if (geteuid() != 0) return {};
  std::string program = FindProgram(kLister);
  if (program.empty()) return {};
  return [program = std::move(program)] {
    return RunProgram(program, {std::string(kLister), "-L", "--json"}, kListerTimeout);
  };
}

OpenFilesMonitor::OpenFilesMonitor(Runner runner, std::chrono::milliseconds period)
    : state_(std::make_unique<State>()) {
  state_->runner = std::move(runner);
  state_->period = std::clamp(period, std::chrono::milliseconds::zero(), kLongestPeriod);
  if (!state_->runner) return;  // nothing to run: the list stays empty
  state_->refreshing = true;
  state_->thread = std::thread([state = state_.get()] { state->Run(); });
}

OpenFilesMonitor::~OpenFilesMonitor() {
  if (!state_->thread.joinable()) return;
  {
    std::lock_guard lock(state_->mutex);
    state_->stopping = true;
  }
  state_->wake.notify_all();
  state_->thread.join();
}

std::shared_ptr<const OpenFileList> OpenFilesMonitor::Snapshot() {
  std::lock_guard lock(state_->mutex);
  if (state_->refreshing && !state_->wanted) {
    state_->wanted = true;
    state_->wake.notify_one();
  }
  return state_->latest;
}

}  // namespace tavrek::platform
