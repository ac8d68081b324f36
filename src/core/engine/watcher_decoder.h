#pragma once
// Turns the changes of one kernel read, as each watcher kind sees them, into
// change events: the action from the record and the kind's mask, the
// position of each event within its watcher's read, and the two rows of a
// rename whose names the backend paired.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine/action.h"
#include "core/engine/change_event.h"
#include "core/engine/watch_options.h"

namespace tavrek::engine {

// Where the changes go, one record per watcher kind that sees them.
class KindSink {
 public:
  virtual ~KindSink() = default;
  // A record of one name; a rename within the watch comes through AddRename.
  virtual void Add(WatcherKind kind, RecordAction action, const std::string& path,
                   int32_t pid) = 0;
  // A rename within the watch, with both of its names.
  virtual void AddRename(WatcherKind kind, const std::string& oldPath, const std::string& newPath,
                         int32_t pid) = 0;
};

class WatcherDecoder final : public KindSink {
 public:
  explicit WatcherDecoder(KindSet running) : running_(running) {}

  // Starts the events of one read: they all carry `time` and go to `out`
  // (appended) until the next BeginRead; positions count from zero again.
  void BeginRead(const platform::SystemTime& time, std::vector<ChangeEvent>& out);
  // Records of kinds that are not running are skipped.
  void Add(WatcherKind kind, RecordAction action, const std::string& path, int32_t pid) override;
  // The old name's row ("Umbennen") and the new name's, which carries the old.
  void AddRename(WatcherKind kind, const std::string& oldPath, const std::string& newPath,
                 int32_t pid) override;
  // Goes on with the same read into another batch: positions keep counting.
  void ContinueReadInto(std::vector<ChangeEvent>& out) { out_ = &out; }
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

  // A new event of a running kind, or null.
  ChangeEvent* NewEvent(WatcherKind kind, Action action, const std::string& path, int32_t pid);
};

}  // namespace tavrek::engine
