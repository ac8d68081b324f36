#include "core/engine/backend/poll/polled_trees.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "core/engine/backend/poll/poll_interval.h"

namespace tavrek::engine {
namespace {

std::chrono::nanoseconds ThreadTime() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

}  // namespace

PolledTrees::PolledTrees(std::chrono::milliseconds requested, bool subtree,
                         const std::atomic<bool>* cancel)
    : requested_(requested),
      subtree_(subtree),
      cancel_(cancel),
      inForce_(requested),
      fullInForce_(requested) {}

PolledTrees::~PolledTrees() {
  if (timerFd_ >= 0) close(timerFd_);
}

bool PolledTrees::Open(std::string& error) {
  timerFd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
  if (timerFd_ >= 0) return true;
  error = std::string("timerfd_create: ") + std::strerror(errno);
  return false;
}

bool PolledTrees::Add(const std::string& root, bool known) {
  if (roots_.contains(root)) return true;
  auto poller = std::make_unique<TreePoller>(root, subtree_, cancel_);
  const std::chrono::nanoseconds before = ThreadTime();
  if (!(known ? poller->Baseline() : poller->BaselineEmpty())) return false;
  fullInForce_ = std::max(fullInForce_, HalfShareInterval(ThreadTime() - before));
  lastFull_ = std::chrono::steady_clock::now();
  roots_.insert(root);
  trees_.push_back({root, std::move(poller)});
  return armed_ || Arm();
}

uint32_t PolledTrees::folderCount() const {
  uint32_t count = 0;
  for (const Tree& tree : trees_) count += tree.poller->folderCount();
  return count;
}

bool PolledTrees::Drain(std::vector<RawChange>& out, DrainResult& result) {
  uint64_t expirations = 0;
  const ssize_t bytes = timerFd_ >= 0 ? read(timerFd_, &expirations, sizeof expirations) : -1;
  bool healthy = true;
  if (bytes == sizeof expirations) {
    armed_ = false;
    const auto now = std::chrono::steady_clock::now();
    const bool full = now - lastFull_ >= fullInForce_;
    const std::chrono::nanoseconds before = ThreadTime();
    Pass(out, full ? TreePoller::Depth::kFull : TreePoller::Depth::kQuick);
    const std::chrono::milliseconds interval = HalfShareInterval(ThreadTime() - before);
    if (full) {
      fullInForce_ = interval;
      lastFull_ = now;
    } else {
      inForce_ = interval;
    }
    healthy = trees_.empty() || Arm();
  } else if (bytes < 0 && errno != EAGAIN && errno != EINTR) {
    healthy = false;
  }
  const uint32_t folders = folderCount();
  if (!trees_.empty() && (inForce_ != reportedInterval_ || folders != reportedFolders_)) {
    reportedFolders_ = folders;
    reportedInterval_ = inForce_;
    result.pollInterval = inForce_;
    result.polledFolders = folders;
  }
  return healthy;
}

std::chrono::milliseconds PolledTrees::HalfShareInterval(std::chrono::nanoseconds passCost) const {
  return PollIntervalInForce(requested_, 2 * passCost);
}

void PolledTrees::Pass(std::vector<RawChange>& out, TreePoller::Depth depth) {
  for (size_t index = 0; index < trees_.size();) {
    Tree& tree = trees_[index];
    // An abandoned pass (a stop) reports nothing.
    if (!tree.poller->Pass(out, depth) && tree.poller->folderLost()) {
      lost_.push_back(tree.root);
      roots_.erase(tree.root);
      trees_.erase(trees_.begin() + static_cast<std::ptrdiff_t>(index));
      continue;
    }
    ++index;
  }
}

bool PolledTrees::Arm() {
  itimerspec timer{};
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(inForce_);
  timer.it_value.tv_sec = seconds.count();
  timer.it_value.tv_nsec = std::chrono::nanoseconds(inForce_ - seconds).count();
  armed_ = timerfd_settime(timerFd_, 0, &timer, nullptr) == 0;
  return armed_;
}

}  // namespace tavrek::engine
