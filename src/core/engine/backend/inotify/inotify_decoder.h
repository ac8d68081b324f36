#pragma once
// Turns the records of inotify reads into raw changes with full paths, keeps
// the directory tree in step with what the records say (renames, removals)
// and pairs the two halves of a rename by their cookie. Watches themselves
// are added and removed through DirectoryWatchHooks, so the decoding needs no
// kernel and can be fed synthetic records.
//
// Changes leave in the kernel's order. A rename's first half holds its place
// in that order: what follows it is held back until its partner has come (a
// rename) or has not come in time (a move out of the tree, which also drops
// what the moved directory reported after it left).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/engine/backend/backend.h"
#include "core/engine/backend/inotify/directory_tree.h"
#include "core/engine/backend/inotify/inotify_records.h"
#include "core/engine/backend/inotify/scan_echoes.h"

namespace tavrek::engine {

enum class ScanMode : uint8_t {
  kSilent,   // watch only: the contents are known already (the initial walk, a rescan)
  kReport,   // also report every entry found as created (a new directory)
  // A directory that came into the tree: reported like a new one, since what
  // was made in it before its watch cannot be told from what it brought; one
  // watched already under another name (it left and came back) is re-pathed.
  kArrival,
};

inline bool Reports(ScanMode mode) { return mode != ScanMode::kSilent; }

class DirectoryWatchHooks {
 public:
  virtual ~DirectoryWatchHooks() = default;
  // Watches the directory `name` below `parent` and every directory under it
  // (adding them to the tree), appending what a reporting scan finds.
  virtual void WatchDirectory(NodeId parent, std::string_view name, ScanMode mode,
                              std::vector<RawChange>& out) = 0;
  // Drops the kernel watches of directories that left the tree.
  virtual void RemoveWatches(std::span<const int32_t> watches) = 0;
  // Called for a watch outside the tree (a directory above the folder that
  // was moved or deleted): true when the folder's path no longer leads to
  // the folder that is watched.
  virtual bool FolderMovedAway(int32_t /*wd*/) { return false; }
};

class InotifyDecoder {
 public:
  InotifyDecoder(DirectoryTree& tree, ScanEchoes& echoes, DirectoryWatchHooks& hooks,
                 bool subtree)
      : tree_(tree), echoes_(echoes), hooks_(hooks), subtree_(subtree) {}

  // Decodes the records of one read buffer and appends the changes that wait
  // for no rename partner.
  void Decode(std::span<const std::byte> buffer, std::vector<RawChange>& out,
              DrainResult& result);

  // Called after every drain: a rename half that has waited through a whole
  // further drain gets no partner any more and becomes a move out.
  void AgePendingMoves(std::vector<RawChange>& out);
  // Every waiting half becomes a move out.
  void FlushPendingMoves(std::vector<RawChange>& out);
  bool HasPendingMoves() const { return !pendingMoves_.empty(); }
  // The tree was changed from outside (a rescan).
  void TreeChanged() { prefixNode_ = kNoNode; }

 private:
  using LeftEarly = std::unordered_map<int32_t, std::unordered_set<int32_t>>;
  struct PendingMove {
    uint32_t cookie = 0;
    size_t position = 0;      // of its placeholder in held_
    int32_t movedWatch = -1;  // the moved directory's watch, -1 when not watched
    uint8_t drainsWaited = 0;
    bool logged = true;  // whether the log holds the old name
    bool arrival = false;  // a directory the log has by name only: no scan read it
    // Where a scan met the moved directory, if it did.
    std::optional<ScanEchoes::Place> met;
    // Watches of the moved directory's subtree dropped while it waited.
    std::vector<int32_t> gone;
    // Directories renamed out of the moved one while it waited, by watch:
    // the watches of their subtrees then and of directories made in them
    // since (they may be gone when it is decided).
    LeftEarly leftEarly;
  };

  void DecodeRecord(const InotifyRecord& record, DrainResult& result);
  void HandleSelfEvent(const InotifyRecord& record, NodeId node, DrainResult& result);
  void HandleMovedFrom(const InotifyRecord& record, NodeId node);
  void HandleMovedTo(const InotifyRecord& record, NodeId node);
  void FollowRenamedDirectory(const PendingMove& move, NodeId moved, NodeId parent,
                              std::string_view name);
  bool LoggedHere(const InotifyRecord& record, NodeId node);
  bool WasLogged(const InotifyRecord& record, NodeId node);
  void MoveNode(NodeId moved, NodeId parent, std::string_view name);
  void ReadWholeAt(NodeId moved, NodeId parent, std::string_view name);
  void EraseHeld(size_t position);
  bool RenameToMet(const PendingMove& move, NodeId moved);
  bool ComeBackAtMet(const PendingMove& move);
  bool OldPlaceGone(const PendingMove& move);
  bool ArriveAtMet(const PendingMove& move);
  void SettleMet(size_t index);
  void ForgetSubtreeOfMove(NodeId node);
  void AddDirectory(NodeId parent, std::string_view name, ScanMode mode, int32_t origin);
  void NoteFoundIn(size_t first);
  void KeepMovedBack(int32_t watch);
  void NoteLeavingWaiting(NodeId moved);
  void NoteMadeInLeft(NodeId parent, std::string_view name);
  void LeaveTree(size_t placeholder, const std::vector<int32_t>& departed,
                 const LeftEarly& leftEarly);
  std::vector<int32_t> WithMovesFromInside(size_t placeholder, std::vector<int32_t> watches);
  void MarkEarlierInside(size_t placeholder, const std::unordered_set<int32_t>& gone,
                         int32_t goneWatch, const LeftEarly& leftEarly);
  void DropEarlierReports(size_t placeholder, size_t arrival,
                          const std::unordered_set<int32_t>& inside, int32_t goneWatch);
  std::unordered_set<int32_t> SubtreeWatches(NodeId node) const;
  void RewalkArrival(const std::string& path, int32_t watch, const LeftEarly& leftEarly);
  // `now`: its present path, ending in "/", when it is still there.
  void DropReportsAfterArrival(const std::string& path, const std::vector<int32_t>& watches,
                               const std::string& now = {});
  NodeId FindByPath(std::string_view path);
  void NoteUnread(std::string_view path);
  void RetryMissedBelow(NodeId moved);
  void ReviveBelow(NodeId moved);
  RawChange& Emit(RawAction action, const InotifyRecord& record, NodeId node);
  void MoveOutOldest();
  void DropHeldFrom(size_t first, const std::vector<int32_t>& watches);
  void ForgetLeftOutside(const std::vector<int32_t>& watches);
  void RemoveSubtree(NodeId node, std::vector<int32_t>& removed);
  void Release(std::vector<RawChange>& out);
  const std::string& DirectoryPath(NodeId node);

  DirectoryTree& tree_;
  ScanEchoes& echoes_;
  DirectoryWatchHooks& hooks_;
  bool subtree_;
  // The watches a held change came from and, for a rename, went to.
  struct Origin {
    int32_t from = -1;
    int32_t to = -1;
    int32_t moved = -1;  // a rename's directory, when it was watched
    int32_t found = -1;  // a scan's report: the directory it was found in
  };
  // Decoded changes not yet handed out, and where each came from.
  std::vector<RawChange> held_;
  std::vector<Origin> heldOrigins_;
  std::vector<PendingMove> pendingMoves_;  // in the order they came
  std::vector<int32_t> removed_;           // scratch
  // The path of the directory of the previous record, reused while records
  // keep coming from the same directory.
  NodeId prefixNode_ = kNoNode;
  std::string prefix_;
};

}  // namespace tavrek::engine
