#include "core/engine/event_queue.h"

namespace tavrek::engine {

void EventQueue::Push(EventBatch batch) {
  if (batch.events.empty() && batch.overflows == 0 && !batch.watchLimitReached &&
      batch.notesBefore.empty() && batch.notesAfter.empty()) {
    return;
  }
  const size_t events = batch.events.size();
  {
    std::lock_guard lock(mutex_);
    batches_.push_back(std::move(batch));
  }
  if (deliver_ && deliver_(events)) return;
  // One wake-up per drain of the consumer, however many batches arrive.
  if (wake_ && !wakePending_.exchange(true)) wake_();
}

bool EventQueue::TakeAll(std::vector<EventBatch>& out) {
  wakePending_.store(false);
  std::lock_guard lock(mutex_);
  if (batches_.empty()) return false;
  if (out.empty()) {
    out.swap(batches_);
  } else {
    for (EventBatch& batch : batches_) out.push_back(std::move(batch));
    batches_.clear();
  }
  return true;
}

bool EventQueue::Empty() const {
  std::lock_guard lock(mutex_);
  return batches_.empty();
}

}  // namespace tavrek::engine
