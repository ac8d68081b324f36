#include "support/source_harness.h"

#include <fcntl.h>
#include <unistd.h>

#include "support/wait_until.h"

namespace tavrek::testing {
namespace {

// Polled folders are read a few times a second, so that a test of polling
// waits for no pass at the interval a user gets.
constexpr std::chrono::milliseconds kPollInterval{500};

}  // namespace

engine::KindSet AllKinds() {
  engine::KindSet kinds;
  kinds.fill(true);
  return kinds;
}

SourceHarness::SourceHarness(std::string folder, engine::BackendType backend,
                             engine::KindSet kinds, bool subtree)
    : folder_(std::move(folder)), queue_(std::make_shared<engine::EventQueue>()) {
  engine::FolderSourceSettings settings;
  settings.folder = folder_;
  settings.subtree = subtree;
  settings.kinds = kinds;
  settings.backend = backend;
  settings.generation = 1;
  settings.pollInterval = kPollInterval;
  source_ = engine::FolderSource::Start(std::move(settings), queue_);
  ready_ = WaitUntil([this] { return source_->Ready(); });
}

SourceHarness::~SourceHarness() = default;

void SourceHarness::Collect() {
  std::vector<engine::EventBatch> batches;
  queue_->TakeAll(batches);
  for (engine::EventBatch& batch : batches) {
    if (batch.watchLimitReached) ++watchLimitReports_;
    for (const engine::StatusNote& note : batch.notesBefore) {
      notes_.push_back(note.text + "|" + note.path);
    }
    ++batches_;
    for (engine::ChangeEvent& event : batch.events) {
      events_.push_back(std::move(event));
      batchOfEvent_.push_back(batches_);
    }
    for (const engine::StatusNote& note : batch.notesAfter) {
      notes_.push_back(note.text + "|" + note.path);
    }
  }
}

bool SourceHarness::WaitFor(const std::function<bool(const engine::ChangeEvent&)>& match,
                            std::chrono::milliseconds limit) {
  size_t checked = 0;
  return WaitUntil(
      [&] {
        Collect();
        for (; checked < events_.size(); ++checked) {
          if (match(events_[checked])) return true;
        }
        return false;
      },
      limit);
}

bool SourceHarness::WaitFor(int kind, engine::Action action, const std::string& path) {
  return WaitFor([&](const engine::ChangeEvent& event) {
    return event.kindIndex == kind && event.action == action && event.path == path;
  });
}

bool SourceHarness::Settle() {
  const std::string marker = folder_ + "settle-marker-" + std::to_string(++markers_);
  const int fd = open(marker.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  close(fd);
  return WaitFor(engine::kKindName, engine::Action::kCreated, marker);
}

int SourceHarness::Count(int kind, engine::Action action, const std::string& path) {
  Collect();
  int count = 0;
  for (const engine::ChangeEvent& event : events_) {
    if (event.kindIndex == kind && event.action == action && event.path == path) ++count;
  }
  return count;
}

size_t SourceHarness::BatchOf(int kind, engine::Action action, const std::string& path) {
  Collect();
  for (size_t index = 0; index < events_.size(); ++index) {
    const engine::ChangeEvent& event = events_[index];
    if (event.kindIndex == kind && event.action == action && event.path == path) {
      return batchOfEvent_[index];
    }
  }
  return 0;
}

std::vector<std::string> SourceHarness::Describe(const std::string& path, int kind) {
  Collect();
  std::vector<std::string> texts;
  for (const engine::ChangeEvent& event : events_) {
    if (event.path != path || (kind >= 0 && event.kindIndex != kind)) continue;
    std::string text = std::to_string(event.kindIndex) + " ";
    text += engine::ActionText(event.action);
    if (!event.oldPath.empty()) text += " <- " + event.oldPath;
    texts.push_back(std::move(text));
  }
  return texts;
}

const std::vector<engine::ChangeEvent>& SourceHarness::events() {
  Collect();
  return events_;
}

int SourceHarness::watchLimitReports() {
  Collect();
  return watchLimitReports_;
}

std::vector<std::string> SourceHarness::notes() {
  Collect();
  return notes_;
}

}  // namespace tavrek::testing
