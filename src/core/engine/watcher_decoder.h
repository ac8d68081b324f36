#pragma once
// Turns the changes of one kernel read, as each watcher kind sees them, into
// change events: action text and code from the record and the kind's mask,
// the position of each event within its watcher's read, and the pairing of a
// rename's old and new name.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine/change_event.h"
#include "core/engine/watch_options.h"

namespace tavrek::engine {

// Where the changes go, one record per watcher kind that sees them.
class KindSink {
 public:
  virtual ~KindSink() = default;
  // `action` is a RecordAction. A rename gives its old name's record and
  // then its new name's, one right after the other.
  virtual void Add(WatcherKind kind, uint32_t action, const std::string& path, int32_t pid) = 0;
};

class WatcherDecoder final : public KindSink {
 public:
  explicit WatcherDecoder(KindSet running) : running_(running) {}

  // Starts the events of one read: they all carry `time` and go to `out`
  // (appended) until the next BeginRead; positions count from zero again.
  void BeginRead(const platform::SystemTime& time, std::vector<ChangeEvent>& out);
  // Records of kinds that are not running are skipped.
  void Add(WatcherKind kind, uint32_t action, const std::string& path, int32_t pid) override;
  // Ends the read: nothing is written to its `out` any more.
  void EndRead() { out_ = nullptr; }

  // The last event of every running kind when the watch cannot go on.
  void AppendEndEvents(const std::string& folderPath, const platform::SystemTime& time,
                       std::vector<ChangeEvent>& out) const;

  const KindSet& running() const { return running_; }

 private:
  KindSet running_;
  platform::SystemTime time_{};
  std::vector<ChangeEvent>* out_ = nullptr;
  std::array<uint16_t, kKindCount> positions_{};
  // The old name of a rename whose new name comes next, per kind; it lives in
  // the change being classified.
  std::array<const std::string*, kKindCount> oldName_{};
};

}  // namespace tavrek::engine
