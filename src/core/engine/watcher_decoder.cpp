#include "core/engine/watcher_decoder.h"

#include "core/engine/action.h"

namespace tavrek::engine {

void WatcherDecoder::DecodeRead(std::span<const KindRecord> records,
                                const platform::SystemTime& time,
                                std::vector<ChangeEvent>& out) {
  std::array<uint16_t, kKindCount> positions{};
  for (const KindRecord& record : records) {
    if (record.kind >= kKindCount || !running_[record.kind]) continue;
    const uint32_t mask = kKindMasks[record.kind];
    DecodedAction decoded = DecodeRecordAction(record.action, mask);
    PreviousRecord& previous = previous_[record.kind];

    ChangeEvent& event = out.emplace_back();
    event.action = decoded.text;
    event.actionCode = decoded.code;
    if (previous.action == kRecordRenamedOldName) {
      event.action = text::kRenamePaired;
      event.oldPath = previous.path;
    }
    event.path = record.path;
    event.time = time;
    event.mask = mask;
    event.recordPosition = positions[record.kind]++;
    event.kindIndex = record.kind;
    event.pid = record.pid;

    previous.action = record.action;
    if (record.action == kRecordRenamedOldName) previous.path = record.path;
  }
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
