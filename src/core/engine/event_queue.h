#pragma once
// Hand-off of change events from the kernel-reading threads to the thread that
// owns the session. Sources push whole batches and never block on the
// consumer, so the kernel queues keep being drained while the consumer is busy.
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/engine/change_event.h"
#include "core/engine/status_kind.h"

namespace tavrek::engine {

// A status row a source asks for: a text and the path it is about.
struct StatusNote {
  std::string text;
  std::string path;
  StatusKind kind = StatusKind::kOther;
};

struct EventBatch {
  uint64_t generation = 0;  // the start that produced it; stale batches are dropped
  uint32_t overflows = 0;   // kernel queue overflows seen before these events
  // The kernel's watch limit left part of the folder unwatched (at most once
  // per source).
  bool watchLimitReached = false;
  std::string folder;  // the source's folder, set with overflows and watchLimitReached
  bool coverageChanged = false;  // the source tells anew how its folder is watched
  std::vector<ChangeEvent> events;
  std::vector<StatusNote> notesBefore;  // status rows written before the events
  std::vector<StatusNote> notesAfter;   // and after them
  // When the source made it: its status rows carry this time too, so that a
  // row that announces changes is never later than they are.
  std::optional<platform::SystemTime> time;
};

class EventQueue {
 public:
  // Called from a source thread when the queue turns non-empty; it must only
  // schedule the consumer (post to an event loop, write an eventfd).
  using Wake = std::function<void()>;
  // Called from a source thread right after its push, before any wake-up:
  // may hand everything queued on at once, on that thread, and returns true
  // when it did (the wake-up is then left out). A consumer that does so saves
  // the second thread's wake-up, and may decline (for a large batch, say,
  // so that the source goes back to the kernel queue at once).
  using Deliver = std::function<bool(size_t eventsPushed)>;

  explicit EventQueue(Wake wake = {}, Deliver deliver = {})
      : wake_(std::move(wake)), deliver_(std::move(deliver)) {}
  EventQueue(const EventQueue&) = delete;
  EventQueue& operator=(const EventQueue&) = delete;

  // Producer side, any thread.
  void Push(EventBatch batch);

  // Consumer side: moves every queued batch to `out` (appending) and re-arms
  // the wake-up. Returns false when nothing was queued.
  bool TakeAll(std::vector<EventBatch>& out);
  bool Empty() const;

 private:
  Wake wake_;
  Deliver deliver_;
  mutable std::mutex mutex_;
  std::vector<EventBatch> batches_;
  std::atomic<bool> wakePending_{false};
};

}  // namespace tavrek::engine
