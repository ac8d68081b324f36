#include "core/engine/watcher_decoder.h"

namespace tavrek::engine {

void WatcherDecoder::BeginRead(const platform::SystemTime& time, std::vector<ChangeEvent>& out) {
  time_ = time;
  out_ = &out;
  positions_.fill(0);
}

ChangeEvent* WatcherDecoder::NewEvent(WatcherKind kind, Action action, const std::string& path,
                                      int32_t pid) {
  if (kind >= kKindCount || !running_[kind] || out_ == nullptr) return nullptr;
  ChangeEvent& event = out_->emplace_back();
  event.action = action;
  event.path = path;
  event.time = time_;
  event.mask = kKindMasks[kind];
  event.recordPosition = positions_[kind]++;
  event.kindIndex = kind;
  event.pid = pid;
  return &event;
}

void WatcherDecoder::Add(WatcherKind kind, RecordAction action, const std::string& path,
                         int32_t pid) {
  if (kind >= kKindCount) return;
  NewEvent(kind, DecodeRecordAction(action, kKindMasks[kind]), path, pid);
}

void WatcherDecoder::AddRename(WatcherKind kind, const std::string& oldPath,
                               const std::string& newPath, int32_t pid) {
  if (NewEvent(kind, Action::kRenamedOld, oldPath, pid) == nullptr) return;
  NewEvent(kind, Action::kRenamedPaired, newPath, pid)->oldPath = oldPath;
}

void WatcherDecoder::AppendEndEvents(const std::string& folderPath,
                                     const platform::SystemTime& time,
                                     std::vector<ChangeEvent>& out) const {
  for (uint8_t kind = 0; kind < kKindCount; ++kind) {
    if (!running_[kind]) continue;
    ChangeEvent& event = out.emplace_back();
    event.action = Action::kEnded;
    event.path = folderPath;
    event.time = time;
    event.mask = kKindMasks[kind];
    event.kindIndex = kind;
  }
}

}  // namespace tavrek::engine
