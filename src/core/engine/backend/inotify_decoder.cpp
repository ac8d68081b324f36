#include "core/engine/backend/inotify_decoder.h"

#include <sys/inotify.h>

#include <algorithm>

namespace tavrek::engine {
namespace {

// A half that survived this many drains after its own gets no partner.
constexpr uint8_t kDrainsBeforeMovedOut = 2;

constexpr uint32_t kSelfEvents = IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT;

// Data and metadata events, in the order one record's bits are reported.
struct ContentEvent {
  uint32_t bit;
  RawAction action;
};
constexpr ContentEvent kContentEvents[] = {
    {IN_MODIFY, RawAction::kModified},
    {IN_ATTRIB, RawAction::kAttrib},
    {IN_ACCESS, RawAction::kAccessed},
};

}  // namespace

void InotifyDecoder::Decode(std::span<const std::byte> buffer, std::vector<RawChange>& out,
                            DrainResult& result) {
  InotifyRecordReader reader(buffer);
  InotifyRecord record;
  while (reader.Next(record)) DecodeRecord(record, out, result);
}

void InotifyDecoder::DecodeRecord(const InotifyRecord& record, std::vector<RawChange>& out,
                                  DrainResult& result) {
  if (record.mask & IN_Q_OVERFLOW) {
    ++result.overflows;
    return;
  }
  const NodeId node = tree_.FindByWatch(record.wd);
  if (node == kNoNode) return;  // a watch already dropped
  if (record.mask & kSelfEvents) {
    HandleSelfEvent(record, node, result);
    return;
  }
  // Nameless records are about a watched directory itself, which its parent's
  // watch reports by name (and the watched folder itself is not reported).
  if (record.name.empty()) return;

  const bool isDirectory = record.mask & IN_ISDIR;
  if (record.mask & IN_CREATE && !echoes_.TakeCreated(record.wd, record.name)) {
    Emit(RawAction::kCreated, record, node, out);
    if (isDirectory && subtree_) AddDirectory(node, record.name, ScanMode::kReport, out);
  }
  if (record.mask & IN_DELETE) {
    echoes_.Forget(record.wd, record.name);
    Emit(RawAction::kDeleted, record, node, out);
  }
  if (record.mask & IN_MOVED_FROM) HandleMovedFrom(record, node);
  if (record.mask & IN_MOVED_TO) HandleMovedTo(record, node, out);
  for (const ContentEvent& event : kContentEvents) {
    if (!(record.mask & event.bit)) continue;
    // Reading a directory for a scan makes the kernel report an access to it.
    if (event.bit == IN_ACCESS && isDirectory && echoes_.IsOwnRead(record.wd, record.name)) {
      continue;
    }
    Emit(event.action, record, node, out);
  }
}

void InotifyDecoder::HandleSelfEvent(const InotifyRecord& record, NodeId node,
                                     DrainResult& result) {
  if (node == tree_.root()) {
    // Deleted, moved away, unmounted, or the watch dropped: the folder is gone.
    result.ended = true;
    return;
  }
  if (record.mask & IN_IGNORED) {
    // The directory is gone (or its watch was removed): forget it and what
    // may still hang below it.
    hooks_.UnwatchDirectory(node);
    TreeChanged();
  }
}

void InotifyDecoder::HandleMovedFrom(const InotifyRecord& record, NodeId node) {
  echoes_.Forget(record.wd, record.name);
  PendingMove& move = pendingMoves_.emplace_back();
  move.cookie = record.cookie;
  move.isDirectory = record.mask & IN_ISDIR;
  if (move.isDirectory) {
    NodeId moved = tree_.FindChild(node, record.name);
    if (moved != kNoNode) move.movedWatch = tree_.WatchOf(moved);
  }
  const std::string& directory = DirectoryPath(node);
  move.oldPath.reserve(directory.size() + record.name.size());
  move.oldPath.assign(directory).append(record.name);
}

void InotifyDecoder::HandleMovedTo(const InotifyRecord& record, NodeId node,
                                   std::vector<RawChange>& out) {
  const bool isDirectory = record.mask & IN_ISDIR;
  // Search from the newest half: the partner is almost always the last one.
  auto partner = std::find_if(pendingMoves_.rbegin(), pendingMoves_.rend(),
                              [&](const PendingMove& move) { return move.cookie == record.cookie; });
  if (partner == pendingMoves_.rend()) {
    if (echoes_.TakeCreated(record.wd, record.name)) return;
    Emit(RawAction::kMovedIn, record, node, out);
    if (isDirectory && subtree_) AddDirectory(node, record.name, ScanMode::kSilent, out);
    return;
  }
  RawChange& change = Emit(RawAction::kRenamed, record, node, out);
  change.oldPath = std::move(partner->oldPath);
  const int32_t movedWatch = partner->movedWatch;
  pendingMoves_.erase(std::next(partner).base());
  if (!isDirectory || !subtree_) return;

  const NodeId moved = movedWatch < 0 ? kNoNode : tree_.FindByWatch(movedWatch);
  if (moved != kNoNode) {
    tree_.Move(moved, node, record.name);
    TreeChanged();
  } else {
    // Never watched under its old name (it was renamed before its creation
    // was read): what it holds has not been reported yet.
    AddDirectory(node, record.name, ScanMode::kReport, out);
  }
}

void InotifyDecoder::AddDirectory(NodeId parent, std::string_view name, ScanMode mode,
                                  std::vector<RawChange>& out) {
  hooks_.WatchDirectory(parent, name, mode, out);
  TreeChanged();
}

void InotifyDecoder::AgePendingMoves(std::vector<RawChange>& out) {
  size_t kept = 0;
  for (size_t index = 0; index < pendingMoves_.size(); ++index) {
    PendingMove& move = pendingMoves_[index];
    if (++move.drainsWaited >= kDrainsBeforeMovedOut) {
      MoveOut(move, out);
    } else {
      if (kept != index) pendingMoves_[kept] = std::move(move);
      ++kept;
    }
  }
  pendingMoves_.resize(kept);
}

void InotifyDecoder::FlushPendingMoves(std::vector<RawChange>& out) {
  for (PendingMove& move : pendingMoves_) MoveOut(move, out);
  pendingMoves_.clear();
}

void InotifyDecoder::MoveOut(PendingMove& move, std::vector<RawChange>& out) {
  RawChange& change = out.emplace_back();
  change.action = RawAction::kMovedOut;
  change.isDirectory = move.isDirectory;
  change.path = std::move(move.oldPath);
  if (move.movedWatch < 0) return;
  const NodeId moved = tree_.FindByWatch(move.movedWatch);
  if (moved != kNoNode) {
    hooks_.UnwatchDirectory(moved);
    TreeChanged();
  }
}

RawChange& InotifyDecoder::Emit(RawAction action, const InotifyRecord& record, NodeId node,
                                std::vector<RawChange>& out) {
  const std::string& directory = DirectoryPath(node);
  RawChange& change = out.emplace_back();
  change.action = action;
  change.isDirectory = record.mask & IN_ISDIR;
  change.path.reserve(directory.size() + record.name.size());
  change.path.assign(directory).append(record.name);
  return change;
}

const std::string& InotifyDecoder::DirectoryPath(NodeId node) {
  if (node != prefixNode_) {
    prefix_.clear();
    tree_.AppendPath(node, prefix_);
    prefixNode_ = node;
  }
  return prefix_;
}

}  // namespace tavrek::engine
