#pragma once
// After the kernel lost events (its queue overflowed), every watched
// directory is read again and compared with the names the watch knew:
// names that came are reported created (a new directory is watched and what
// it holds reported too), names that went are reported deleted (a directory
// with its watches dropped), and files whose modification or status change
// time is not older than the last moment nothing was lost are reported
// changed. What came and went while events were lost leaves no trace.
#include <atomic>
#include <ctime>
#include <string>
#include <vector>

#include "core/engine/backend/backend.h"
#include "core/engine/backend/inotify/directory_tree.h"
#include "core/engine/backend/inotify/directory_walker.h"
#include "core/engine/backend/inotify/inotify_decoder.h"
#include "core/engine/backend/inotify/scan_echoes.h"

namespace tavrek::engine {

// File times come from a coarse clock that may lag the real time by a few
// ticks: a change just after a moment the queue was read empty may carry a
// time just before it. The rescan's `since` is taken this much early.
inline constexpr long kFileClockLagNanoseconds = 50'000'000;

struct RescanSettings {
  bool subtree = true;         // new directories are watched and walked
  bool accessWatched = false;  // reading a directory reports an access to it
  const std::atomic<bool>* cancel = nullptr;  // a stop abandons the rescan
};

class TreeRescan {
 public:
  TreeRescan(DirectoryTree& tree, DirectoryWalker& walker, ScanEchoes& echoes,
             DirectoryWatchHooks& hooks, RescanSettings settings)
      : tree_(tree), walker_(walker), echoes_(echoes), hooks_(hooks), settings_(settings) {}

  // Appends the differences found; changes at or after `since` may have gone
  // unreported.
  void Run(const timespec& since, std::vector<RawChange>& out);

 private:
  struct Entry {
    std::string_view name;
    unsigned char type = 0;
  };

  void RescanDirectory(NodeId node, std::vector<RawChange>& out);
  bool ReadEntries(int fd);
  void LoadKnown(NodeId node);
  void Compare(NodeId node, int fd, std::vector<RawChange>& out);
  void Appeared(NodeId node, int fd, const Entry& entry, std::vector<RawChange>& out);
  void Vanished(NodeId node, std::string_view name, std::vector<RawChange>& out);
  void Remained(NodeId node, int fd, const Entry& entry, std::vector<RawChange>& out);
  bool IsDirectory(int fd, const Entry& entry) const;
  RawChange& Report(RawAction action, std::string_view name, std::vector<RawChange>& out);

  DirectoryTree& tree_;
  DirectoryWalker& walker_;
  ScanEchoes& echoes_;
  DirectoryWatchHooks& hooks_;
  RescanSettings settings_;
  timespec since_{};
  // Scratch of one directory.
  std::string path_;
  std::vector<std::byte> buffer_;
  std::vector<Entry> entries_;
  std::string known_;
  std::vector<std::string_view> knownNames_;
  std::vector<int32_t> removed_;
};

}  // namespace tavrek::engine
