#include "core/engine/backend/poll/polled_trees.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <ctime>

#include "core/engine/backend/poll/poll_interval.h"

namespace tavrek::engine {
namespace {

// A zero time would disarm the timer.
constexpr std::chrono::milliseconds kShortestWait{1};
// Passes in a row that would allow a shorter interval before it is taken.
constexpr int kCheaperPassesBeforeShorter = 5;

}  // namespace

PolledTrees::PolledTrees(std::chrono::milliseconds requested, bool subtree,
                         const std::atomic<bool>* cancel, bool wholeWatch)
    : requested_(requested),
      subtree_(subtree),
      cancel_(cancel),
      wholeWatch_(wholeWatch),
      inForce_(requested) {}

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
  auto poller = std::make_unique<TreePoller>(root, subtree_, cancel_, wholeWatch_);
  const std::chrono::nanoseconds before = ThreadCpuTime();
  if (!(known ? poller->Baseline() : poller->BaselineEmpty())) return false;
  fullCost_ += ThreadCpuTime() - before;
  roots_.insert(root);
  trees_.push_back({root, std::move(poller)});
  return armed_ || Arm(inForce_);
}

uint32_t PolledTrees::folderCount() const {
  uint32_t count = 0;
  for (const Tree& tree : trees_) count += tree.poller->folderCount();
  return count;
}

bool PolledTrees::Drain(std::vector<RawChange>& out, DrainResult& result) {
  uint64_t expirations = 0;
  // A timer not armed cannot have run out: no read for every change.
  const bool due = timerFd_ >= 0 && armed_;
  const ssize_t bytes = due ? read(timerFd_, &expirations, sizeof expirations) : 0;
  bool healthy = true;
  if (bytes == sizeof expirations) {
    armed_ = false;
    const auto now = std::chrono::steady_clock::now();
    const double part = PartInFull();
    const std::chrono::nanoseconds before = ThreadCpuTime();
    Pass(out, part);
    const std::chrono::nanoseconds cost = ThreadCpuTime() - before;
    Account(cost);
    // The interval runs from the pass's start: a pass that waits long on a
    // slow file system costs no more processor time for it.
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - now);
    healthy = trees_.empty() || Arm(std::max(inForce_ - waited, kShortestWait));
  } else if (bytes < 0 && errno != EAGAIN && errno != EINTR) {
    healthy = false;
  }
  for (const Tree& tree : trees_) tree.poller->TakeDenied(result);
  const uint32_t folders = folderCount();
  if (!trees_.empty() && (inForce_ != reportedInterval_ || folders != reportedFolders_)) {
    reportedFolders_ = folders;
    reportedInterval_ = inForce_;
    result.pollInterval = inForce_;
    result.polledFolders = folders;
  }
  return healthy;
}

// The directories read in full tell what reading all would cost; looking
// at the others for changed names may take the other half of the share. A
// burst of changed directories costs what it costs but does not stretch the
// interval at which names are looked for.
void PolledTrees::Account(std::chrono::nanoseconds passCost) {
  std::chrono::nanoseconds reading{0};
  size_t read = 0;
  for (const Tree& tree : trees_) {
    reading += tree.poller->readCost();
    read += tree.poller->readCount();
  }
  if (read > 0) fullCost_ = reading * folderCount() / read;
  const std::chrono::nanoseconds looking = std::max(passCost - reading, std::chrono::nanoseconds(0));
  const std::chrono::milliseconds wanted = PollIntervalInForce(requested_, 2 * looking);
  // Longer at once, to keep within the share; shorter only after several
  // cheaper passes, so that a cost near a step does not flip the interval
  // (and its coverage row) back and forth.
  cheaperPasses_ = wanted < inForce_ ? cheaperPasses_ + 1 : 0;
  if (wanted >= inForce_ || cheaperPasses_ >= kCheaperPassesBeforeShorter) {
    inForce_ = wanted;
    cheaperPasses_ = 0;
  }
}

double PolledTrees::PartInFull() const {
  const std::chrono::milliseconds wholeReading = PollIntervalInForce(requested_, 2 * fullCost_);
  return std::min(1.0, static_cast<double>(inForce_.count()) /
                           static_cast<double>(std::max<int64_t>(wholeReading.count(), 1)));
}

void PolledTrees::Pass(std::vector<RawChange>& out, double part) {
  for (size_t index = 0; index < trees_.size();) {
    Tree& tree = trees_[index];
    const size_t fullReads =
        part >= 1 ? TreePoller::kAll
                  : static_cast<size_t>(std::ceil(part * tree.poller->folderCount()));
    // An abandoned pass (a stop) reports nothing.
    if (!tree.poller->Pass(out, fullReads) && tree.poller->folderLost()) {
      lost_.push_back(tree.root);
      roots_.erase(tree.root);
      trees_.erase(trees_.begin() + static_cast<std::ptrdiff_t>(index));
      continue;
    }
    ++index;
  }
}

bool PolledTrees::Arm(std::chrono::milliseconds wait) {
  itimerspec timer{};
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(wait);
  timer.it_value.tv_sec = seconds.count();
  timer.it_value.tv_nsec = std::chrono::nanoseconds(wait - seconds).count();
  armed_ = timerfd_settime(timerFd_, 0, &timer, nullptr) == 0;
  return armed_;
}

}  // namespace tavrek::engine
