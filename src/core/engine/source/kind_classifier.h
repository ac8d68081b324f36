#pragma once
// Splits the raw changes of a kernel backend into the records of the seven
// watcher kinds. inotify and fanotify lump several kinds into one event (a
// metadata event above all), so the classifier keeps what it knows of the
// status of every path that had an event and compares.
//
// A status can only be read when its event is handled, which may be after
// later changes of the file: so that the kinds do not depend on when that
// is, every kind of event takes into the record only the parts of the status
// it may have changed (a write its size and modification time, a read its
// access time, a metadata change the rest), a file the log saw made starts
// from the status every new file has (see NewFileStatus), and a metadata
// change that shows no difference still reports what its record says:
// attributes. (One read together with an earlier one shows nothing, and the
// earlier one shows it; one read apart shows it: the kinds come out the same.)
//
// Statuses are recorded only for paths that had an event since the start,
// never during the walk that sets up the watches: on a whole drive that would
// cost a stat per file and memory for millions of paths. A file's first write
// therefore reports its size, and its first metadata change (with nothing to
// compare) counts as attributes.
//
// The kernel tells a directory's watchers nothing when a file's link count
// changes, only that a name was created or deleted; so a new or deleted hard
// link reports attributes for the file's other names whose status is known.
#include <functional>
#include <optional>
#include <string>

#include "core/engine/backend/backend.h"
#include "core/engine/source/file_status.h"
#include "core/engine/source/folder_status_reader.h"
#include "core/engine/source/new_file_status.h"
#include "core/engine/source/status_store.h"
#include "core/engine/watch_options.h"
#include "core/engine/watcher_decoder.h"

namespace tavrek::engine {

class KindClassifier {
 public:
  using StatusReader =
      std::function<std::optional<FileStatus>(const std::string& path, bool withAttributes)>;
  // The umask of the process with this pid (0: not known) that made a file.
  using UmaskReader = std::function<uint32_t(int32_t pid)>;

  // Without a reader statuses are read from the disk, relative to folders
  // kept open (see FolderStatusReader).
  explicit KindClassifier(KindSet running, StatusReader reader = {}, UmaskReader umaskOf = {});

  // Writes the records of one change for the running kinds and records the
  // path's status for the next change.
  void Classify(const RawChange& change, KindSink& out);
  // As Classify, but a new file's status, which only the changes after it
  // compare with and none of its own rows needs, is put off: it is read
  // before the next change is classified or when ReadPutOff is called, so
  // the order of reads stays the same while a new file's line need not wait
  // for them.
  void ClassifyPuttingOff(const RawChange& change, KindSink& out);
  bool HasPutOff() const { return putOff_.has_value(); }
  // True when classifying `change` now would read a status from the disk
  // before all of its rows are written.
  bool ReadsBeforeRows(const RawChange& change) const;
  // Reads what ClassifyPuttingOff put off. Its rows (a new name of a file known
  // under other names) go out as a burst of their own.
  void ReadPutOff(KindSink& out);

  // Closes the folders kept open for reading statuses (see
  // FolderStatusReader): to be called when a burst of changes is handled.
  void CloseFolders() { folderReader_.Clear(); }

  // The status recorded for a path, if any.
  const FileStatus* RecordedStatus(const std::string& path) const;
  size_t recordedCount() const { return statuses_.size(); }

 private:
  void Add(WatcherKind kind, RecordAction action, const std::string& path, int32_t pid,
           KindSink& out) const;
  void AddKinds(KindBits kinds, const RawChange& change, KindSink& out) const;
  // Classify, or ClassifyPuttingOff where `mayPutOff`.
  void ClassifyChange(const RawChange& change, KindSink& out, bool mayPutOff);
  void ClassifyAppeared(const RawChange& change, KindSink& out, bool mayPutOff);
  // Records the status a file the log has just seen made starts from.
  void RecordNewFile(const RawChange& change, KindSink& out);
  void ClassifyModified(const RawChange& change, KindSink& out);
  void ClassifyAccessed(const RawChange& change, KindSink& out);
  void ClassifyAttrib(const RawChange& change, KindSink& out);
  // A change a scan guessed from file times after the kernel lost events.
  void ClassifyFound(const RawChange& change, KindSink& out);
  std::optional<FileStatus> ReadStatus(const RawChange& change, bool withAttributes);
  // The folders open for reading statuses follow what a change did to folders.
  void FollowFolders(const RawChange& change);
  // Takes `parts` of `read` into the path's record (forgets the path when
  // nothing was read).
  void Record(const std::string& path, const std::optional<FileStatus>& read,
              StatusParts parts);
  // Reports attributes for the other known names of the file and gives them
  // its new link count.
  void LinkCountChanged(const std::string& path, uint64_t inode, uint32_t linkCount,
                        int32_t pid, KindSink& out);

  KindSet running_;
  StatusReader reader_;
  FolderStatusReader folderReader_;
  UmaskReader umaskOf_;
  MakerUmask makerUmask_;
  bool needStatus_;      // some running kind is told apart by statuses
  bool needAttributes_;  // ... or by extended attributes
  StatusStore statuses_;
  std::optional<RawChange> putOff_;  // a new file whose status waits
};

}  // namespace tavrek::engine
