// Polling as a backend: a timer descriptor in the source's poll set wakes the
// thread for each pass, so a stop ends the wait at once like any other.
#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <memory>

#include "core/engine/backend/backend.h"
#include "core/engine/backend/poll/poll_interval.h"
#include "core/engine/backend/poll/tree_poller.h"

namespace tavrek::engine {
namespace {

std::chrono::nanoseconds ThreadTime() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

class PollBackend final : public Backend {
 public:
  ~PollBackend() override {
    if (timerFd_ >= 0) close(timerFd_);
  }

  bool Start(const BackendSettings& settings, std::string& error) override;
  std::vector<int> PollFds() const override { return {timerFd_}; }
  DrainResult Drain(std::vector<RawChange>& out) override;
  void FlushPendingPairs(std::vector<RawChange>&) override {}

 private:
  // Runs `step` and lets its processor time decide the next interval.
  template <typename Step>
  bool Timed(Step step);
  bool Arm();

  int timerFd_ = -1;
  std::unique_ptr<TreePoller> poller_;
  std::chrono::milliseconds requested_{kDefaultPollInterval};
  std::chrono::milliseconds inForce_{0};
  bool intervalChanged_ = true;
};

bool PollBackend::Start(const BackendSettings& settings, std::string& error) {
  timerFd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
  if (timerFd_ < 0) {
    error = "timerfd_create for " + settings.folder + ": " + std::strerror(errno);
    return false;
  }
  requested_ = settings.pollInterval;
  poller_ = std::make_unique<TreePoller>(settings.folder, settings.subtree, settings.cancel);
  if (!Timed([this] { return poller_->Baseline(); })) {
    error = "cannot read " + settings.folder;
    return false;
  }
  return Arm();
}

template <typename Step>
bool PollBackend::Timed(Step step) {
  const std::chrono::nanoseconds before = ThreadTime();
  const bool done = step();
  const std::chrono::milliseconds next = PollIntervalInForce(requested_, ThreadTime() - before);
  if (done && next != inForce_) {
    inForce_ = next;
    intervalChanged_ = true;
  }
  return done;
}

bool PollBackend::Arm() {
  itimerspec timer{};
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(inForce_);
  timer.it_value.tv_sec = seconds.count();
  timer.it_value.tv_nsec = std::chrono::nanoseconds(inForce_ - seconds).count();
  return timerfd_settime(timerFd_, 0, &timer, nullptr) == 0;
}

DrainResult PollBackend::Drain(std::vector<RawChange>& out) {
  DrainResult result;
  uint64_t expirations = 0;
  const ssize_t bytes = read(timerFd_, &expirations, sizeof expirations);
  if (bytes == sizeof expirations) {
    // An abandoned pass (a stop) reports nothing; a lost folder ends the watch.
    Timed([&] { return poller_->Pass(out); });
    result.ended = poller_->folderLost() || !Arm();
  } else if (bytes < 0 && errno != EAGAIN && errno != EINTR) {
    result.ended = true;
  }
  if (intervalChanged_) {
    intervalChanged_ = false;
    result.pollInterval = inForce_;
    result.polledFolders = poller_->folderCount();
  }
  return result;
}

}  // namespace

std::unique_ptr<Backend> MakePollBackend() { return std::make_unique<PollBackend>(); }

}  // namespace tavrek::engine
