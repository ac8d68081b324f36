#pragma once
// The trees one backend polls, on one timer: a whole folder, or the parts of
// a tree the kernel cannot watch. The passes of all trees together may take
// only their share of a core; when they cost more, the interval grows. Each
// pass reads in full only a part of the trees, in turn, so that reading
// everything once takes about half of the share, and of the rest only the
// directories whose names changed (see TreePoller::Pass): names made or
// removed are found at the timer's interval even where reading every entry
// is slow (a FUSE or network file system, a large tree), and writes within
// the time a whole reading is spread over.
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/engine/backend/backend.h"
#include "core/engine/backend/poll/tree_poller.h"

namespace tavrek::engine {

class PolledTrees {
 public:
  // `wholeWatch`: each tree is all of a watch (see TreePoller).
  PolledTrees(std::chrono::milliseconds requested, bool subtree, const std::atomic<bool>* cancel,
              bool wholeWatch = false);
  ~PolledTrees();
  PolledTrees(const PolledTrees&) = delete;
  PolledTrees& operator=(const PolledTrees&) = delete;

  // Creates the timer. False (with a message) when it cannot be had.
  bool Open(std::string& error);
  // The timer's descriptor, for the poll set; readable when a pass is due.
  int fd() const { return timerFd_; }

  // Adds the tree below `root` (ending in "/") once. With `known` its present
  // content is not reported (it is read now); otherwise the first pass reports
  // all of it as created. False when the root cannot be read.
  bool Add(const std::string& root, bool known);

  // When a pass is due, runs it over every tree and appends what changed.
  // Trees whose root went away are dropped (see TakeLost). Fills the polling
  // fields of the result when the interval in force or the count changed, and
  // the count of directories found unreadable since the last drain.
  // False when the timer failed.
  bool Drain(std::vector<RawChange>& out, DrainResult& result);

  // Roots dropped since the last call.
  std::vector<std::string> TakeLost() { return std::exchange(lost_, {}); }
  uint32_t folderCount() const;
  bool empty() const { return trees_.empty(); }
  std::chrono::milliseconds inForce() const { return inForce_; }

 private:
  struct Tree {
    std::string root;
    std::unique_ptr<TreePoller> poller;
  };
  // `part`: the share of each tree's directories read in full (1: all).
  void Pass(std::vector<RawChange>& out, double part);
  bool Arm(std::chrono::milliseconds wait);
  // The part to read in full at the interval in force, so that reading
  // everything once takes half of the share.
  double PartInFull() const;
  // Takes what the pass cost into the interval and the cost of reading all.
  void Account(std::chrono::nanoseconds passCost);

  const std::chrono::milliseconds requested_;
  const bool subtree_;
  const std::atomic<bool>* cancel_;
  const bool wholeWatch_;
  int timerFd_ = -1;
  std::vector<Tree> trees_;
  std::unordered_set<std::string> roots_;
  std::vector<std::string> lost_;
  std::chrono::milliseconds inForce_{0};
  std::chrono::nanoseconds fullCost_{0};  // of reading every entry of every tree once
  int cheaperPasses_ = 0;                 // in a row, that would allow a shorter interval
  // What the last result told.
  uint32_t reportedFolders_ = 0;
  std::chrono::milliseconds reportedInterval_{0};
  bool armed_ = false;
};

}  // namespace tavrek::engine
