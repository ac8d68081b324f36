#pragma once
// Turns the records of one kernel read into change events, per watcher kind:
// action text and code from the record and the kind's mask, the position of
// each event within its watcher's read, and the pairing of a rename's old and
// new name.
#include <array>
#include <span>
#include <string>
#include <vector>

#include "core/engine/change_event.h"
#include "core/engine/watch_options.h"

namespace tavrek::engine {

// One change as one watcher kind sees it.
struct KindRecord {
  uint8_t kind = 0;
  uint32_t action = 0;  // RecordAction
  std::string path;     // full path
  int32_t pid = 0;
};

class WatcherDecoder {
 public:
  explicit WatcherDecoder(KindSet running) : running_(running) {}

  // All events of one read carry `time`; records of kinds that are not
  // running are skipped.
  void DecodeRead(std::span<const KindRecord> records, const platform::SystemTime& time,
                  std::vector<ChangeEvent>& out);

  // The last event of every running kind when the watch cannot go on.
  void AppendEndEvents(const std::string& folderPath, const platform::SystemTime& time,
                       std::vector<ChangeEvent>& out) const;

  const KindSet& running() const { return running_; }

 private:
  struct PreviousRecord {
    uint32_t action = 0;
    std::string path;
  };
  KindSet running_;
  std::array<PreviousRecord, kKindCount> previous_{};
};

}  // namespace tavrek::engine
