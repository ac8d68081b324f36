#pragma once
// Puts inotify watches on every directory of a tree, fast enough for whole
// drives: entries are read in large getdents64 batches, types come from
// d_type (a stat only when the file system leaves it open), directories are
// opened relative to their parent, and one path buffer grows and shrinks with
// an explicit stack instead of recursion.
//
// A directory is opened, then watched, then read, so nothing created in it
// meanwhile is missed. Access events are asked for only once a directory and
// everything below it has been read: otherwise the walk's own reads would fill
// the kernel queue with access events.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/engine/backend/backend.h"
#include "core/engine/backend/inotify/descriptor_watch.h"
#include "core/engine/backend/inotify/directory_tree.h"
#include "core/engine/backend/inotify/inotify_decoder.h"
#include "core/engine/backend/inotify/scan_echoes.h"

namespace tavrek::engine {

struct WalkerSettings {
  int inotifyFd = -1;
  uint32_t directoryMask = 0;  // watch mask of directories below the root
  uint32_t accessMask = 0;     // added once a directory has been read (0: none)
  std::vector<std::string> mountPoints;  // not descended into; each ends in "/"
  const std::atomic<bool>* cancel = nullptr;  // abandons a walk when set
  bool descend = true;  // false: only the names of the walked directory are read
};

class DirectoryWalker {
 public:
  DirectoryWalker(DirectoryTree& tree, ScanEchoes& echoes, WalkerSettings settings);
  ~DirectoryWalker();
  DirectoryWalker(const DirectoryWalker&) = delete;
  DirectoryWalker& operator=(const DirectoryWalker&) = delete;

  // Walks below the already watched `node`, open as `fd` (which the walker
  // closes); its own watch gets `mask` plus the access mask at the end.
  // False when the walk was abandoned.
  bool WalkWatched(NodeId node, int fd, uint32_t mask, ScanMode mode, std::vector<RawChange>& out);

  // Watches the directory `name` below the watched `parent` and walks it.
  bool WatchAndWalk(NodeId parent, std::string_view name, ScanMode mode,
                    std::vector<RawChange>& out);

  // Set once the kernel refused a watch for lack of watches (ENOSPC).
  bool watchLimitReached() const { return watchLimitReached_; }
  // Hands over the directories left unwatched for lack of watches since the
  // last call (each ending in "/"); what lies below them is unwatched too.
  std::vector<std::string> TakeUnwatched() { return std::exchange(unwatched_, {}); }
  // Hands over the directories met but not readable since the last call.
  void TakeDenied(DrainResult& result);

 private:
  struct Frame {
    int fd = -1;  // -1 once every entry is in the buffer (deep frames)
    NodeId node = kNoNode;
    int32_t wd = -1;
    uint32_t mask = 0;
    size_t pathLength = 0;  // this directory's path in path_, ending in "/"
    size_t bytes = 0;       // valid bytes in the frame's buffer
    size_t offset = 0;      // next entry in it
    std::string names;      // of the entries read so far, each ending in NUL
  };
  struct Entry {
    std::string_view name;  // NUL-terminated inside the frame's buffer
    unsigned char type = 0;
  };

  bool Run(ScanMode mode, std::vector<RawChange>& out);
  bool Cancelled() const { return settings_.cancel != nullptr && settings_.cancel->load(); }
  void Push(int fd, NodeId node, int32_t wd, uint32_t mask);
  void Pop();
  bool NextEntry(Entry& entry);
  bool Refill(size_t depth);
  void ReadAll(size_t depth);
  bool IsDirectory(const Frame& frame, const Entry& entry);
  // False when the directory is watched already under another name and a
  // reporting scan leaves it to its rename.
  bool Descend(NodeId parent, int parentFd, std::string_view name);
  void CloseDirectory(int fd);
  // path_ for a call that takes a path.
  const char* FullPath();
  void NoteDenied();
  void NoteVanishedBelow(NodeId node);

  DirectoryTree& tree_;
  ScanEchoes& echoes_;
  WalkerSettings settings_;
  DescriptorWatch watch_;
  std::unordered_set<std::string> mountPoints_;
  bool watchLimitReached_ = false;
  std::vector<std::string> unwatched_;
  ScanMode mode_ = ScanMode::kSilent;  // of the walk under way
  uint32_t denied_ = 0;
  std::string firstDenied_;
  std::string path_;
  std::vector<Frame> frames_;
  std::vector<std::vector<std::byte>> buffers_;  // one per depth, reused
  std::vector<NodeId> children_;                 // scratch
  std::vector<std::pair<NodeId, int32_t>> subtree_;  // scratch
};

}  // namespace tavrek::engine
