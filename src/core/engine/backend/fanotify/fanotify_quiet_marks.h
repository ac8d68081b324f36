#pragma once
// Directories outside the watched folder whose files' changes the kernel is
// told to drop before queueing them. The mark sees the whole file system, so a
// build or an unpacking elsewhere would otherwise make the watch read, and
// pass over, every one of its records.
//
// Renames are never dropped: a quieted directory that moves into the folder
// is seen moving, and every quieting is then lifted. What its files did
// between the move and the lift is not known, so each quieted directory then
// inside the folder is listed and its entries reported as they are, like
// those of any folder that comes in.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/engine/backend/backend.h"
#include "core/engine/backend/fanotify/fanotify_kernel.h"
#include "core/engine/backend/fanotify/fanotify_records.h"

namespace tavrek::engine {

class FanotifyQuietMarks {
 public:
  // More directories are never quieted: lifting them all must stay cheap.
  static constexpr size_t kMaxQuieted = 256;

  // The path shown for a directory's real path, when it lies in the folder.
  using ShownPathOf = std::function<std::optional<std::string>(const std::string&)>;

  FanotifyQuietMarks(int group, FanotifyHandleOpener& opener, ShownPathOf shown);

  // Quiets the busy directories that are outside the folder now.
  void Quiet(const std::vector<FanotifyFileKey>& busy);
  // Lifts every quieting; appends the entries of the quieted directories that
  // now lie in the folder as created.
  void LiftAll(std::vector<RawChange>& out);
  // The listing's echoes among the rows decoded since: a name it reported may
  // have been made after the lift, and its own read of a directory comes as an
  // access. Each is dropped once; a directory moved or gone forgets them all.
  void DropEchoes(std::vector<RawChange>& out, size_t first);
  // The queue was read empty: every record from before the last listing has passed.
  void QueueEmptied() { ForgetListed(); }
  // Another group of the watch on the same file system gets the same quieting
  // from now on, the directories quieted so far at once.
  void MirrorOn(int group);

 private:
  bool Mark(unsigned flags, const FanotifyFileKey& key);
  void ForgetDeleted();
  void ForgetListed() {
    listedNames_.clear();
    listedDirectories_.clear();
  }
  void ReportEntries(const FanotifyFileKey& key, const std::string& realDirectory,
                     std::vector<RawChange>& out);
  bool IsEcho(const RawChange& change);

  int group_;
  int mirror_ = -1;
  FanotifyHandleOpener& opener_;
  ShownPathOf shown_;
  std::vector<FanotifyFileKey> quieted_;
  size_t refusedSinceCheck_ = 0;  // busy directories reported while the list was full
  std::unordered_set<std::string> listedNames_;
  std::unordered_set<std::string> listedDirectories_;
  int32_t ownPid_;
};

}  // namespace tavrek::engine
