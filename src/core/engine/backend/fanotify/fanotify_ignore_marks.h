#pragma once
// Lets the kernel drop a busy outside directory's file changes before they
// are queued. The file-system mark sees every change on the file system; a
// directory outside the watched folder that keeps changing (a build, a
// download, a cache) would wake the watch for each change only to have it
// passed over. An ignore mark on that directory stops its files' changes in
// the kernel; changes of its subdirectories and every rename still come, so
// a directory's move is always seen, and on one all marks go (what lay
// outside may lie inside now). The marks are evictable: the kernel may drop
// one with its directory's inode, and the changes then come again until the
// directory counts as busy anew.
#include <string>
#include <vector>

#include "core/engine/backend/fanotify/fanotify_kernel.h"
#include "core/engine/backend/fanotify/fanotify_records.h"

namespace tavrek::engine {

class FanotifyIgnoreMarks {
 public:
  // At most this many directories are marked at once.
  static constexpr size_t kMaxMarks = 1024;

  FanotifyIgnoreMarks(int group, FanotifyHandleOpener& opener) : group_(group), opener_(opener) {}

  // Marks the directories (until the limit); a directory that cannot be
  // opened or marked any more is left alone.
  void Ignore(const std::vector<FanotifyFileKey>& directories);
  // Removes every mark.
  void Clear();
  size_t size() const { return marked_.size(); }

 private:
  bool Mark(const FanotifyFileKey& directory, unsigned addOrRemove);

  int group_;
  FanotifyHandleOpener& opener_;
  std::vector<FanotifyFileKey> marked_;
  bool unsupported_ = false;  // the kernel knows no ignore marks of this kind
};

}  // namespace tavrek::engine
