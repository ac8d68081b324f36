#pragma once
// Splits the raw changes of a kernel backend into the records of the seven
// watcher kinds. inotify and fanotify lump several kinds into one event (a
// metadata event above all), so the classifier keeps the last status it saw
// of every path that had an event and compares.
//
// Statuses are recorded only for paths that had an event since the start (and
// for entries found when a new directory is scanned), never during the walk
// that sets up the watches: on a whole drive that would cost a stat per file
// and memory for millions of paths. A path's first metadata change therefore
// counts as attributes.
//
// The kernel tells a directory's watchers nothing when a file's link count
// changes, only that a name was created or deleted; so a new or deleted hard
// link reports attributes for the file's other names whose status is known.
#include <functional>
#include <optional>
#include <string>

#include "core/engine/backend/backend.h"
#include "core/engine/source/file_status.h"
#include "core/engine/source/status_store.h"
#include "core/engine/watch_options.h"
#include "core/engine/watcher_decoder.h"

namespace tavrek::engine {

class KindClassifier {
 public:
  using StatusReader =
      std::function<std::optional<FileStatus>(const std::string& path, bool withAttributes)>;

  explicit KindClassifier(KindSet running, StatusReader reader = ReadFileStatus);

  // Writes the records of one change for the running kinds and records the
  // path's status for the next change.
  void Classify(const RawChange& change, KindSink& out);

  // The status recorded for a path, if any.
  const FileStatus* RecordedStatus(const std::string& path) const;
  size_t recordedCount() const { return statuses_.size(); }

 private:
  void Add(WatcherKind kind, uint32_t action, const std::string& path, int32_t pid,
           KindSink& out) const;
  // A change a scan guessed from file times, while the status recorded at
  // the path's last event is still the status now: nothing to report.
  bool UnchangedSinceRecorded(const RawChange& change) const;
  void ClassifyAppeared(const RawChange& change, KindSink& out);
  void ClassifyModified(const RawChange& change, KindSink& out);
  void ClassifyAccessed(const RawChange& change, KindSink& out);
  void ClassifyAttrib(const RawChange& change, KindSink& out);
  // Stores `after` for the path (forgets it when empty), keeping attribute
  // hashes of `before` that were not read again.
  void Store(const std::string& path, std::optional<FileStatus> after);
  // Reports attributes for the other known names of the file and gives them
  // its new link count.
  void LinkCountChanged(const std::string& path, uint64_t inode, uint32_t linkCount,
                        int32_t pid, KindSink& out);

  KindSet running_;
  StatusReader reader_;
  bool needStatus_;      // some running kind is told apart by statuses
  bool needAttributes_;  // ... or by extended attributes
  StatusStore statuses_;
};

}  // namespace tavrek::engine
