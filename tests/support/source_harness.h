#pragma once
// Runs a folder source on a real folder and collects what it pushes, waiting
// for expected events with a bound.
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine/source/folder_source.h"

namespace tavrek::testing {

// Every watcher kind.
engine::KindSet AllKinds();

class SourceHarness {
 public:
  // Starts the source and waits (bounded) until it is ready.
  SourceHarness(std::string folder, engine::BackendType backend,
                engine::KindSet kinds = AllKinds(), bool subtree = true);
  ~SourceHarness();

  engine::FolderSource& source() { return *source_; }
  engine::EventQueue& queue() { return *queue_; }
  bool ready() const { return ready_; }

  // Waits until a collected event matches; false when none came in time.
  bool WaitFor(const std::function<bool(const engine::ChangeEvent&)>& match,
               std::chrono::milliseconds limit = std::chrono::seconds(10));
  // Waits for an event of the kind with the action and path.
  bool WaitFor(int kind, engine::Action action, const std::string& path);
  // Creates a marker file in the watched folder and waits for its creation:
  // everything done before has been reported by then.
  bool Settle();

  // Collected events of the kind with the action and path.
  int Count(int kind, engine::Action action, const std::string& path);
  // Collected events of one kind (or every kind for -1) for the path.
  std::vector<std::string> Describe(const std::string& path, int kind = -1);
  const std::vector<engine::ChangeEvent>& events();
  // The number of the pushed batch (counted from 1) that held the first
  // collected event of the kind with the action and path; 0: none.
  size_t BatchOf(int kind, engine::Action action, const std::string& path);
  // Batches that said the watch limit left part of the folder unwatched.
  int watchLimitReports();
  // Status rows asked for, before and after events alike, as "text|path".
  std::vector<std::string> notes();
  void Forget() {
    events_.clear();
    batchOfEvent_.clear();
  }

 private:
  void Collect();

  std::string folder_;
  std::shared_ptr<engine::EventQueue> queue_;
  std::unique_ptr<engine::FolderSource> source_;
  bool ready_ = false;
  int markers_ = 0;
  int watchLimitReports_ = 0;
  std::vector<std::string> notes_;
  std::vector<engine::ChangeEvent> events_;
  std::vector<size_t> batchOfEvent_;  // beside events_
  size_t batches_ = 0;
};

}  // namespace tavrek::testing
