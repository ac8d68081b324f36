#include "core/engine/watcher_decoder.h"

#include "core/engine/action.h"

namespace tavrek::engine {

void WatcherDecoder::BeginRead(const platform::SystemTime& time, std::vector<ChangeEvent>& out) {
  time_ = time;
  out_ = &out;
  positions_.fill(0);
  oldName_.fill(nullptr);
}

void WatcherDecoder::Add(WatcherKind kind, uint32_t action, const std::string& path,
                         int32_t pid) {
  if (kind >= kKindCount || !running_[kind] || out_ == nullptr) return;
  const uint32_t mask = kKindMasks[kind];
  const DecodedAction decoded = DecodeRecordAction(action, mask);

  ChangeEvent& event = out_->emplace_back();
  event.action = decoded.text;
  event.actionCode = decoded.code;
  if (action == kRecordRenamedNewName && oldName_[kind] != nullptr) {
    event.action = text::kRenamePaired;
    event.oldPath = *oldName_[kind];
  }
  event.path = path;
  event.time = time_;
  event.mask = mask;
  event.recordPosition = positions_[kind]++;
  event.kindIndex = kind;
  event.pid = pid;
  oldName_[kind] = action == kRecordRenamedOldName ? &path : nullptr;
}

void WatcherDecoder::AppendEndEvents(const std::string& folderPath,
                                     const platform::SystemTime& time,
                                     std::vector<ChangeEvent>& out) const {
  for (uint8_t kind = 0; kind < kKindCount; ++kind) {
    if (!running_[kind]) continue;
    ChangeEvent& event = out.emplace_back();
    event.action = text::kEnded;
    event.actionCode = kActionEnded;
    event.path = folderPath;
    event.time = time;
    event.mask = kKindMasks[kind];
    event.kindIndex = kind;
  }
}

}  // namespace tavrek::engine
