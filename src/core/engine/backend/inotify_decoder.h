#pragma once
// Turns the records of inotify reads into raw changes with full paths, keeps
// the directory tree in step with what the records say (renames, removals)
// and pairs the two halves of a rename by their cookie. Watches themselves
// are added and removed through DirectoryWatchHooks, so the decoding needs no
// kernel and can be fed synthetic records.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/engine/backend/backend.h"
#include "core/engine/backend/directory_tree.h"
#include "core/engine/backend/inotify_records.h"
#include "core/engine/backend/scan_echoes.h"

namespace tavrek::engine {

enum class ScanMode : uint8_t {
  kSilent,  // watch only: the directory's contents existed before (moved in)
  kReport,  // also report every entry found as created (a new directory)
};

class DirectoryWatchHooks {
 public:
  virtual ~DirectoryWatchHooks() = default;
  // Watches the directory `name` below `parent` and every directory under it,
  // appending what a reporting scan finds.
  virtual void WatchDirectory(NodeId parent, std::string_view name, ScanMode mode,
                              std::vector<RawChange>& out) = 0;
  // Stops watching the node and everything below it and forgets them.
  virtual void UnwatchDirectory(NodeId node) = 0;
};

class InotifyDecoder {
 public:
  InotifyDecoder(DirectoryTree& tree, ScanEchoes& echoes, DirectoryWatchHooks& hooks,
                 bool subtree)
      : tree_(tree), echoes_(echoes), hooks_(hooks), subtree_(subtree) {}

  // Decodes the records of one read buffer, in order.
  void Decode(std::span<const std::byte> buffer, std::vector<RawChange>& out,
              DrainResult& result);

  // Called after every drain: a rename half that has waited through a whole
  // further drain gets no partner any more and becomes a move out.
  void AgePendingMoves(std::vector<RawChange>& out);
  // Every waiting half becomes a move out.
  void FlushPendingMoves(std::vector<RawChange>& out);
  bool HasPendingMoves() const { return !pendingMoves_.empty(); }

 private:
  struct PendingMove {
    uint32_t cookie = 0;
    bool isDirectory = false;
    int32_t movedWatch = -1;  // the moved directory's watch, -1 when not watched
    uint8_t drainsWaited = 0;
    std::string oldPath;
  };

  void DecodeRecord(const InotifyRecord& record, std::vector<RawChange>& out,
                    DrainResult& result);
  void HandleSelfEvent(const InotifyRecord& record, NodeId node, DrainResult& result);
  void HandleMovedFrom(const InotifyRecord& record, NodeId node);
  void HandleMovedTo(const InotifyRecord& record, NodeId node, std::vector<RawChange>& out);
  void AddDirectory(NodeId parent, std::string_view name, ScanMode mode,
                    std::vector<RawChange>& out);
  RawChange& Emit(RawAction action, const InotifyRecord& record, NodeId node,
                  std::vector<RawChange>& out);
  void MoveOut(PendingMove& move, std::vector<RawChange>& out);
  const std::string& DirectoryPath(NodeId node);
  void TreeChanged() { prefixNode_ = kNoNode; }

  DirectoryTree& tree_;
  ScanEchoes& echoes_;
  DirectoryWatchHooks& hooks_;
  bool subtree_;
  std::vector<PendingMove> pendingMoves_;
  // The path of the directory of the previous record, reused while records
  // keep coming from the same directory.
  NodeId prefixNode_ = kNoNode;
  std::string prefix_;
};

}  // namespace tavrek::engine
