#include "core/engine/backend/inotify/inotify_decoder.h"

#include <sys/inotify.h>

#include <algorithm>
#include <unordered_set>

namespace tavrek::engine {
namespace {

// A half that survived this many drains after its own gets no partner.
constexpr uint8_t kDrainsBeforeMovedOut = 2;

// The origin of a held change that no departure may drop.
constexpr int32_t kNoOrigin = -1;

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
  // Once the folder is gone, what follows happened somewhere else.
  while (!result.ended && reader.Next(record)) DecodeRecord(record, result);
  if (result.ended) {
    FlushPendingMoves(out);
    return;
  }
  Release(out);
}

void InotifyDecoder::DecodeRecord(const InotifyRecord& record, DrainResult& result) {
  if (record.mask & IN_Q_OVERFLOW) {
    ++result.overflows;
    return;
  }
  const NodeId node = tree_.FindByWatch(record.wd);
  if (node == kNoNode) {
    // A watch already dropped, or one on a directory above the folder.
    if ((record.mask & kSelfEvents) && hooks_.FolderMovedAway(record.wd)) result.ended = true;
    return;
  }
  if (record.mask & kSelfEvents) {
    HandleSelfEvent(record, node, result);
    return;
  }
  if (echoes_.IsVanished(record.wd)) {
    // What it gains now is never logged, nor then is its departure.
    if (record.mask & (IN_CREATE | IN_MOVED_TO)) echoes_.NoteSkipped(record.wd, record.name);
    return;
  }
  // Nameless records are about a watched directory itself, which its parent's
  // watch reports by name (and the watched folder itself is not reported).
  if (record.name.empty()) return;

  const bool isDirectory = record.mask & IN_ISDIR;
  if (record.mask & IN_CREATE) {
    const bool logged = LoggedHere(record, node);
    tree_.EntriesOf(node).Add(record.name);
    if (!logged) {
      Emit(RawAction::kCreated, record, node);
      if (isDirectory && subtree_) AddDirectory(node, record.name, ScanMode::kReport, record.wd);
    }
  }
  if (record.mask & IN_DELETE) {
    const bool logged = WasLogged(record, node);
    tree_.EntriesOf(node).Remove(record.name);
    echoes_.Forget(record.wd, record.name);
    if (logged && !echoes_.TakeDeleted(record.wd, record.name)) {
      Emit(RawAction::kDeleted, record, node);
    }
  }
  if (record.mask & IN_MOVED_FROM) HandleMovedFrom(record, node);
  if (record.mask & IN_MOVED_TO) HandleMovedTo(record, node);
  for (const ContentEvent& event : kContentEvents) {
    if (!(record.mask & event.bit)) continue;
    // Reading a directory for a scan makes the kernel report an access to it.
    if (event.bit == IN_ACCESS && isDirectory && echoes_.IsOwnRead(record.wd, record.name)) {
      continue;
    }
    Emit(event.action, record, node);
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
    ForgetSubtreeOfMove(node);
  }
}

void InotifyDecoder::ForgetSubtreeOfMove(NodeId node) {
  // A directory that left the tree and was then deleted: should its move
  // stay a move out, what its watches reported meanwhile is dropped with it.
  // A moved directory below it goes with it: its move keeps its watches.
  // Its own move, or else the innermost one that took it along, carries it:
  // one further out may have lost it on the way.
  PendingMove* carrier = nullptr;
  NodeId carried = kNoNode;
  for (PendingMove& move : pendingMoves_) {
    const NodeId moved = move.movedWatch < 0 ? kNoNode : tree_.FindByWatch(move.movedWatch);
    if (moved != kNoNode && tree_.IsWithin(node, moved) &&
        (carrier == nullptr || tree_.IsWithin(moved, carried))) {
      carrier = &move;
      carried = moved;
    }
    if (moved != kNoNode && moved != node && tree_.IsWithin(moved, node)) {
      std::vector<std::pair<NodeId, int32_t>> below;
      tree_.Collect(moved, below);
      for (const auto& entry : below) move.gone.push_back(entry.second);
    }
  }
  RemoveSubtree(node, removed_);
  if (carrier != nullptr) carrier->gone.insert(carrier->gone.end(), removed_.begin(), removed_.end());
}

bool InotifyDecoder::WasLogged(const InotifyRecord& record, NodeId node) {
  // A name the scan of its directory no longer saw was never logged there,
  // nor one that came while its directory's records were not logged.
  if (echoes_.WasReported(record.wd)) return tree_.EntriesOf(node).Contains(record.name);
  return !echoes_.TakeSkipped(record.wd, record.name);
}

bool InotifyDecoder::LoggedHere(const InotifyRecord& record, NodeId node) {
  // A directory a scan reported a moment ago: the log holds what the scan
  // saw and what was logged since, and a record from before the scan may
  // repeat it. Elsewhere only a rescan's report is repeated.
  if (echoes_.WasReported(record.wd)) return tree_.EntriesOf(node).Contains(record.name);
  return echoes_.TakeCreated(record.wd, record.name);
}

void InotifyDecoder::HandleMovedFrom(const InotifyRecord& record, NodeId node) {
  const bool logged = WasLogged(record, node);
  tree_.EntriesOf(node).Remove(record.name);
  echoes_.Forget(record.wd, record.name);
  PendingMove& move = pendingMoves_.emplace_back();
  move.cookie = record.cookie;
  move.position = held_.size();
  move.logged = logged;
  if (record.mask & IN_ISDIR) {
    move.arrival = echoes_.TakeMissedArrival(record.wd, record.name);
    NodeId moved = tree_.FindChild(node, record.name);
    if (moved != kNoNode) {
      move.movedWatch = tree_.WatchOf(moved);
      move.arrival = echoes_.TakeUnread(move.movedWatch) || move.arrival;
      ReviveBelow(moved);
      move.met = echoes_.TakeMet(move.movedWatch);
    }
  }
  // The placeholder becomes the rename, or stays as the move out.
  Emit(RawAction::kMovedOut, record, node);
  if (move.met) SettleMet(pendingMoves_.size() - 1);
}

void InotifyDecoder::SettleMet(size_t index) {
  // A scan met the directory at its new place: that is where it went, said
  // at once, while that place is still in the tree (it may be deleted soon).
  // Taken out of the waiting halves first: settling it may walk directories
  // that settle others. Put back unchanged when it cannot be settled yet.
  const PendingMove move = pendingMoves_[index];
  pendingMoves_.erase(pendingMoves_.begin() + static_cast<std::ptrdiff_t>(index));
  const NodeId moved = move.movedWatch < 0 ? kNoNode : tree_.FindByWatch(move.movedWatch);
  if (!RenameToMet(move, moved)) {
    pendingMoves_.insert(pendingMoves_.begin() + static_cast<std::ptrdiff_t>(index), move);
  }
}

void InotifyDecoder::HandleMovedTo(const InotifyRecord& record, NodeId node) {
  const bool newLogged = LoggedHere(record, node);
  tree_.EntriesOf(node).Add(record.name);
  const bool isDirectory = record.mask & IN_ISDIR;
  // Search from the newest half: the partner is almost always the last one.
  auto partner = std::find_if(pendingMoves_.rbegin(), pendingMoves_.rend(),
                              [&](const PendingMove& move) { return move.cookie == record.cookie; });
  if (partner == pendingMoves_.rend()) {
    if (newLogged) return;
    Emit(RawAction::kMovedIn, record, node);
    // From outside, or from a part of the tree not watched yet (then its
    // first half never came): either way what it holds is reported now.
    if (isDirectory && subtree_) AddDirectory(node, record.name, ScanMode::kArrival, record.wd);
    return;
  }
  const PendingMove move = *partner;
  pendingMoves_.erase(std::next(partner).base());
  const NodeId moved = move.movedWatch < 0 ? kNoNode : tree_.FindByWatch(move.movedWatch);
  // A scan that met the directory here left it to this rename.
  const bool met = move.met && move.met->parentWatch == record.wd && move.met->name == record.name;
  if (newLogged && !met) {
    // A scan already reported the new name with what it holds: the log
    // only lacks the old name's departure (the placeholder says so).
    if (!move.logged) EraseHeld(move.position);
    if (moved == kNoNode || !isDirectory || !subtree_) return;
    if (echoes_.IsMissed(record.wd, record.name)) {
      ReadWholeAt(moved, node, record.name);
    } else {
      MoveNode(moved, node, record.name);
    }
    return;
  }
  RawChange& change = held_[move.position];
  heldOrigins_[move.position].to = record.wd;
  if (move.logged) {
    change.action = RawAction::kRenamed;
    change.oldPath = std::move(change.path);
  } else {
    // The old name never made it into the log: to the log the entry appears.
    change.action = RawAction::kMovedIn;
  }
  const std::string& directory = DirectoryPath(node);
  change.path.reserve(directory.size() + record.name.size());
  change.path.assign(directory).append(record.name);
  if (isDirectory && subtree_) FollowRenamedDirectory(move, moved, node, record.name);
}

void InotifyDecoder::FollowRenamedDirectory(const PendingMove& move, NodeId moved, NodeId parent,
                                            std::string_view name) {
  if (moved != kNoNode && move.logged) {
    heldOrigins_[move.position].moved = move.movedWatch;
    NoteLeavingWaiting(moved);
    if (!move.arrival) {
      MoveNode(moved, parent, name);
      return;
    }
    // Renamed before its arrival (or a rereading) could read it: the log
    // has its name only, so it is read whole here, before what was missed
    // below it, which that reading may find.
    ReadWholeAt(moved, parent, name);
    RetryMissedBelow(moved);
  } else if (moved != kNoNode) {
    // Its old name never made it into the log: to the log it arrives, and a
    // directory watched already that it turns out to be left and came back.
    ReadWholeAt(moved, parent, name);
  } else {
    // Never watched under its old name (it was renamed before its creation
    // or arrival was read): what it holds is reported now.
    const bool arrival = move.arrival || !move.logged;
    AddDirectory(parent, name, arrival ? ScanMode::kArrival : ScanMode::kReport,
                 tree_.WatchOf(parent));
  }
}

void InotifyDecoder::NoteLeavingWaiting(NodeId moved) {
  // Renamed out of a directory whose own rename waits for its other half:
  // should that one have left the tree, this one was outside until now.
  for (PendingMove& move : pendingMoves_) {
    const NodeId waiting = move.movedWatch < 0 ? kNoNode : tree_.FindByWatch(move.movedWatch);
    if (waiting == kNoNode || waiting == moved || !tree_.IsWithin(moved, waiting)) continue;
    move.leftEarly[tree_.WatchOf(moved)] = SubtreeWatches(moved);
  }
}

void InotifyDecoder::NoteMadeInLeft(NodeId parent, std::string_view name) {
  // Made in a directory that left a waiting one: it goes wherever that goes.
  const int32_t parentWatch = tree_.WatchOf(parent);
  const NodeId made = tree_.FindChild(parent, name);
  if (made == kNoNode) return;
  for (PendingMove& move : pendingMoves_) {
    for (auto& [watch, inside] : move.leftEarly) {
      if (!inside.contains(parentWatch)) continue;
      const std::unordered_set<int32_t> below = SubtreeWatches(made);
      inside.insert(below.begin(), below.end());
    }
  }
}

std::unordered_set<int32_t> InotifyDecoder::SubtreeWatches(NodeId node) const {
  std::vector<std::pair<NodeId, int32_t>> subtree;
  tree_.Collect(node, subtree);
  std::unordered_set<int32_t> watches;
  for (const auto& entry : subtree) watches.insert(entry.second);
  return watches;
}

void InotifyDecoder::MoveNode(NodeId moved, NodeId parent, std::string_view name) {
  // The scan that reported the new name may have re-pathed it already.
  if (tree_.FindChild(parent, name) != kNoNode) return;
  tree_.Move(moved, parent, name);
  TreeChanged();
  RetryMissedBelow(moved);
}

void InotifyDecoder::ReadWholeAt(NodeId moved, NodeId parent, std::string_view name) {
  // The log lacks what it holds at its new name: read there. Gone again, what
  // it reports until its next rename is about names the log never had.
  const std::unordered_set<int32_t> inside = SubtreeWatches(moved);
  tree_.Move(moved, parent, name);
  TreeChanged();
  const int32_t parentWatch = tree_.WatchOf(parent);
  AddDirectory(parent, name, ScanMode::kArrival, parentWatch);
  if (!echoes_.IsMissed(parentWatch, name)) return;
  for (const int32_t gone : inside) echoes_.NoteVanished(gone);
}

void InotifyDecoder::EraseHeld(size_t position) {
  held_.erase(held_.begin() + static_cast<std::ptrdiff_t>(position));
  heldOrigins_.erase(heldOrigins_.begin() + static_cast<std::ptrdiff_t>(position));
  for (PendingMove& later : pendingMoves_) {
    if (later.position > position) --later.position;
  }
}

void InotifyDecoder::AddDirectory(NodeId parent, std::string_view name, ScanMode mode,
                                  int32_t origin) {
  const size_t first = held_.size();
  hooks_.WatchDirectory(parent, name, mode, held_);
  heldOrigins_.resize(held_.size(), {origin, origin});
  NoteFoundIn(first);
  TreeChanged();
  NoteMadeInLeft(parent, name);
  if (mode == ScanMode::kArrival) {
    for (const int32_t watch : echoes_.TakeRepathed()) KeepMovedBack(watch);
  }
  // The scan may have met a directory whose rename half is already waiting.
  for (size_t index = pendingMoves_.size(); index-- > 0 && echoes_.anyMet();) {
    if (index >= pendingMoves_.size()) continue;  // others were settled meanwhile
    PendingMove& move = pendingMoves_[index];
    if (move.movedWatch < 0 || move.met) continue;
    move.met = echoes_.TakeMet(move.movedWatch);
    if (move.met) SettleMet(index);
  }
}

void InotifyDecoder::NoteFoundIn(size_t first) {
  // While the tree still has the paths the scan gave: a later rereading of
  // a directory drops what this one found in it, under whatever name.
  std::string_view lastDirectory;
  int32_t lastWatch = -1;
  for (size_t index = first; index < held_.size(); ++index) {
    const std::string_view path = held_[index].path;
    const std::string_view directory = path.substr(0, path.rfind('/') + 1);
    if (directory != lastDirectory) {
      const NodeId node = FindByPath(directory);
      lastWatch = node == kNoNode ? -1 : tree_.WatchOf(node);
      lastDirectory = directory;
    }
    heldOrigins_[index].found = lastWatch;
  }
}

void InotifyDecoder::KeepMovedBack(int32_t watch) {
  // A directory that left the tree and came straight back keeps its watch (the
  // kernel hands out the same one): its departure must not drop it later.
  const NodeId back = tree_.FindByWatch(watch);
  if (back == kNoNode) return;
  for (PendingMove& move : pendingMoves_) {
    if (move.movedWatch != watch) continue;
    move.movedWatch = -1;
    // What it reported while away happened outside the tree; its arrival
    // scan has just reported what it holds now.
    std::vector<std::pair<NodeId, int32_t>> subtree;
    tree_.Collect(back, subtree);
    std::vector<int32_t> watches;
    for (const auto& entry : subtree) watches.push_back(entry.second);
    // Copied: leaving the tree may drop or settle other waiting halves.
    const LeftEarly leftEarly = move.leftEarly;
    LeaveTree(move.position, watches, leftEarly);
    return;
  }
}

void InotifyDecoder::LeaveTree(size_t placeholder, const std::vector<int32_t>& departed,
                               const LeftEarly& leftEarly) {
  const std::vector<int32_t> watches = WithMovesFromInside(placeholder, departed);
  // What a departed directory reported after it left happened outside the
  // tree, except renames across its edge: one out of it into the tree is an
  // arrival, one from the tree into it a departure.
  const std::unordered_set<int32_t> gone(watches.begin(), watches.end());
  MarkEarlierInside(placeholder, gone, watches.front(), leftEarly);
  std::vector<std::pair<std::string, int32_t>> arrivals;  // path, watch
  for (size_t index = placeholder + 1; index < held_.size(); ++index) {
    RawChange& change = held_[index];
    Origin& origin = heldOrigins_[index];
    const bool fromInside = gone.contains(origin.from);
    if (fromInside == gone.contains(origin.to)) continue;  // on one side of the edge
    if (fromInside) {
      if (change.action == RawAction::kRenamed) {
        change.action = RawAction::kMovedIn;
        change.oldPath.clear();
        if (change.isDirectory) arrivals.emplace_back(change.path, origin.moved);
      }
      // Now a change of where it arrived: a scan of that place repeats it.
      origin.from = origin.to;
    } else if (change.action == RawAction::kRenamed) {
      change.action = RawAction::kMovedOut;
      change.path = std::move(change.oldPath);
      change.oldPath.clear();
      origin.to = origin.from;
    } else {
      origin.from = origin.to;  // it appeared in the departed directory: dropped with it
    }
  }
  DropHeldFrom(placeholder + 1, watches);
  for (const auto& [path, watch] : arrivals) RewalkArrival(path, watch, leftEarly);
}

std::vector<int32_t> InotifyDecoder::WithMovesFromInside(size_t placeholder,
                                                         std::vector<int32_t> watches) {
  // A directory that left the departed one while its rename waited for the
  // other half (which the departed directory, unwatched where it went, never
  // gets) went along: what its watches reported happened outside too.
  std::unordered_set<int32_t> gone(watches.begin(), watches.end());
  for (const PendingMove& move : pendingMoves_) {  // in the order they came
    if (move.position <= placeholder || !gone.contains(heldOrigins_[move.position].from)) continue;
    std::vector<std::pair<NodeId, int32_t>> subtree;
    const NodeId moved = move.movedWatch < 0 ? kNoNode : tree_.FindByWatch(move.movedWatch);
    if (moved != kNoNode) tree_.Collect(moved, subtree);
    for (const auto& entry : subtree) {
      if (gone.insert(entry.second).second) watches.push_back(entry.second);
    }
    for (const int32_t watch : move.gone) {
      if (gone.insert(watch).second) watches.push_back(watch);
    }
  }
  return watches;
}

void InotifyDecoder::MarkEarlierInside(size_t placeholder, const std::unordered_set<int32_t>& gone,
                                       int32_t goneWatch, const LeftEarly& leftEarly) {
  // A directory that came out of the departed one later was inside it until
  // then. The latest first: one that left a directory which left later was
  // inside only once that one's earlier reports are marked.
  for (size_t index = held_.size(); index-- > placeholder + 1;) {
    const RawChange& change = held_[index];
    const Origin& origin = heldOrigins_[index];
    if (change.action != RawAction::kRenamed || !change.isDirectory ||
        !gone.contains(origin.from) || gone.contains(origin.to)) {
      continue;
    }
    if (auto left = leftEarly.find(origin.moved); left != leftEarly.end()) {
      DropEarlierReports(placeholder, index, left->second, goneWatch);
    } else if (const NodeId node = origin.moved >= 0 ? tree_.FindByWatch(origin.moved)
                                                     : FindByPath(change.path);
               node != kNoNode && node != tree_.root()) {
      DropEarlierReports(placeholder, index, SubtreeWatches(node), goneWatch);
    }
  }
}

void InotifyDecoder::DropEarlierReports(size_t placeholder, size_t arrival,
                                        const std::unordered_set<int32_t>& inside,
                                        int32_t goneWatch) {
  // A directory that came out of a departed one reported from inside it until
  // then: that is dropped with the departed directory (its arrival's scan
  // tells what it holds), and a rename between it and the rest of the departed
  // directory happened wholly outside the tree.
  for (size_t index = placeholder + 1; index < arrival; ++index) {
    Origin& origin = heldOrigins_[index];
    if (inside.contains(origin.from)) origin.from = goneWatch;
    if (inside.contains(origin.to)) origin.to = goneWatch;
  }
}

void InotifyDecoder::RewalkArrival(const std::string& path, int32_t watch,
                                   const LeftEarly& leftEarly) {
  // Its contents were logged under the departed directory's path: the log
  // needs them again under the new one. Once it is gone there is nothing
  // to read, and what it reported since is about contents the log never had.
  const NodeId node = watch >= 0 ? tree_.FindByWatch(watch) : FindByPath(path);
  if (node == tree_.root()) return;
  if (node == kNoNode) {
    if (auto left = leftEarly.find(watch); left != leftEarly.end()) {
      DropReportsAfterArrival(path, std::vector<int32_t>(left->second.begin(), left->second.end()));
    }
    return;
  }
  const std::unordered_set<int32_t> inside = SubtreeWatches(node);
  std::string now;  // it may have been renamed since, and scanned there
  tree_.AppendPath(node, now);
  DropReportsAfterArrival(path, std::vector<int32_t>(inside.begin(), inside.end()), now);
  const std::string name(tree_.NameOf(node));
  const NodeId parent = tree_.ParentOf(node);
  AddDirectory(parent, name, ScanMode::kArrival, kNoOrigin);
  // Gone from its path before it could be read: what it reports until its
  // rename is read is about names the log never had.
  if (echoes_.IsMissed(tree_.WatchOf(parent), name)) {
    for (const int32_t gone : inside) echoes_.NoteVanished(gone);
  }
}

void InotifyDecoder::DropReportsAfterArrival(const std::string& path,
                                             const std::vector<int32_t>& watches,
                                             const std::string& now) {
  // Its scan comes after everything decoded so far and tells what it holds
  // then: what it reported since its arrival is dropped, except renames
  // across its edge (out of it: an arrival; into it: a departure), and so is
  // what earlier scans found in it (one at its rename left the directories
  // it met there to their renames, whose contents may have changed since).
  size_t arrival = held_.size();
  while (arrival-- > 0) {
    const RawChange& change = held_[arrival];
    if (change.action == RawAction::kMovedIn && change.isDirectory && change.path == path) break;
  }
  if (arrival >= held_.size() || watches.empty()) return;
  const std::unordered_set<int32_t> inside(watches.begin(), watches.end());
  const std::string below = path + '/';
  for (size_t index = arrival + 1; index < held_.size(); ++index) {
    RawChange& change = held_[index];
    Origin& origin = heldOrigins_[index];
    if (change.fromScan && (change.path.starts_with(below) || inside.contains(origin.found) ||
                            (!now.empty() && change.path.starts_with(now)))) {
      origin = {watches.front(), watches.front()};
      if (change.isDirectory) NoteUnread(change.path);
      continue;
    }
    const bool fromInside = inside.contains(origin.from);
    if (fromInside == inside.contains(origin.to)) continue;
    if (change.action == RawAction::kMovedIn) {
      // Its old name was never logged: its arrival out there stays, one in
      // here is the scan's to report.
      origin = fromInside ? Origin{kNoOrigin, kNoOrigin} : Origin{watches.front(), watches.front()};
      continue;
    }
    if (change.action != RawAction::kRenamed) continue;
    if (fromInside) {
      change.action = RawAction::kMovedIn;
    } else {
      change.action = RawAction::kMovedOut;
      change.path = std::move(change.oldPath);
    }
    change.oldPath.clear();
    origin = {kNoOrigin, kNoOrigin};
  }
  DropHeldFrom(arrival + 1, watches);
}

void InotifyDecoder::NoteUnread(std::string_view path) {
  // Its reported contents are dropped for a rereading, which may no longer
  // find it there: until that reading does, the log lacks what it holds.
  const NodeId node = FindByPath(path);
  if (node != kNoNode && node != tree_.root()) echoes_.NoteUnread(tree_.WatchOf(node));
}

NodeId InotifyDecoder::FindByPath(std::string_view path) {
  const std::string& rootPath = DirectoryPath(tree_.root());
  if (!path.starts_with(rootPath)) return kNoNode;
  NodeId node = tree_.root();
  for (path.remove_prefix(rootPath.size()); node != kNoNode && !path.empty();) {
    const size_t slash = path.find('/');
    node = tree_.FindChild(node, path.substr(0, slash));
    path.remove_prefix(slash == std::string_view::npos ? path.size() : slash + 1);
  }
  return node;
}

void InotifyDecoder::ReviveBelow(NodeId moved) {
  // Its rename is read: what its watches report from now on happened after.
  if (!echoes_.IsVanished(tree_.WatchOf(moved))) return;
  std::vector<std::pair<NodeId, int32_t>> subtree;
  tree_.Collect(moved, subtree);
  for (const auto& entry : subtree) echoes_.Revive(entry.second);
}

void InotifyDecoder::RetryMissedBelow(NodeId moved) {
  if (!echoes_.anyMissed()) return;
  for (auto& missed : echoes_.TakeMissed()) {
    const NodeId parent = tree_.FindByWatch(missed.parentWatch);
    // Gone, or found there by another scan since.
    if (parent == kNoNode || tree_.FindChild(parent, missed.name) != kNoNode) continue;
    if (!tree_.IsWithin(parent, moved)) {
      echoes_.NoteMissed(missed.parentWatch, missed.name, missed.arrival);
    } else if (missed.arrival) {
      AddDirectory(parent, missed.name, ScanMode::kArrival, missed.parentWatch);
    } else {
      AddDirectory(parent, missed.name, ScanMode::kReport, missed.parentWatch);
    }
  }
}

void InotifyDecoder::AgePendingMoves(std::vector<RawChange>& out) {
  for (PendingMove& move : pendingMoves_) ++move.drainsWaited;
  // The oldest halves come first.
  while (!pendingMoves_.empty() && pendingMoves_.front().drainsWaited >= kDrainsBeforeMovedOut) {
    MoveOutOldest();
  }
  Release(out);
}

void InotifyDecoder::FlushPendingMoves(std::vector<RawChange>& out) {
  while (!pendingMoves_.empty()) MoveOutOldest();
  Release(out);
}

void InotifyDecoder::MoveOutOldest() {
  const PendingMove move = pendingMoves_.front();
  pendingMoves_.erase(pendingMoves_.begin());
  // The placeholder already says "moved out"; a directory leaves the tree.
  const NodeId moved = move.movedWatch < 0 ? kNoNode : tree_.FindByWatch(move.movedWatch);
  if (RenameToMet(move, moved)) return;
  removed_.clear();
  if (moved != kNoNode) RemoveSubtree(moved, removed_);
  removed_.insert(removed_.end(), move.gone.begin(), move.gone.end());
  if (!removed_.empty()) LeaveTree(move.position, std::vector<int32_t>(removed_), move.leftEarly);
  // A name never logged cannot be logged as gone.
  if (!move.logged) EraseHeld(move.position);
}

bool InotifyDecoder::RenameToMet(const PendingMove& move, NodeId moved) {
  // The directory went where a scan met it, before that place was watched.
  // It may have been deleted there since. One whose old name the log never
  // had appears there, with what it holds.
  if (!move.met) return false;
  const NodeId parent = tree_.FindByWatch(move.met->parentWatch);
  if (parent == kNoNode || tree_.FindChild(parent, move.met->name) != kNoNode ||
      (moved != kNoNode && tree_.IsWithin(parent, moved))) {
    return false;
  }
  if (move.met->walked) return moved != kNoNode && ComeBackAtMet(move);
  if (moved == kNoNode && OldPlaceGone(move)) return ArriveAtMet(move);
  // Said after everything decoded so far: the new place has the path the
  // tree gives it only there, and what the directory reported meanwhile
  // already names it by its old path. That old path is the tree's of now: a
  // rename of a directory above it may have been logged after its first half.
  const int32_t from = heldOrigins_[move.position].from;
  std::string oldPath = std::move(held_[move.position].path);
  if (moved != kNoNode) {
    oldPath.clear();
    tree_.AppendPath(moved, oldPath);
    oldPath.pop_back();
  }
  EraseHeld(move.position);
  RawChange& change = held_.emplace_back();
  heldOrigins_.push_back({from, move.met->parentWatch, moved != kNoNode ? move.movedWatch : -1});
  change.action = move.logged ? RawAction::kRenamed : RawAction::kMovedIn;
  change.isDirectory = true;
  if (move.logged) change.oldPath = std::move(oldPath);
  change.path.assign(DirectoryPath(parent)).append(move.met->name);
  tree_.EntriesOf(parent).Add(move.met->name);
  // The rename's second half, if it comes, repeats this.
  echoes_.NoteCreated(move.met->parentWatch, move.met->name);
  if (moved != kNoNode) {
    NoteLeavingWaiting(moved);
    tree_.Move(moved, parent, move.met->name);
    TreeChanged();
    // Read whole first when it is new to the log: what was missed below it
    // and that reading finds is not read twice.
    if (!move.logged) AddDirectory(parent, move.met->name, ScanMode::kArrival, move.met->parentWatch);
    RetryMissedBelow(moved);
  }
  return true;
}

bool InotifyDecoder::OldPlaceGone(const PendingMove& move) {
  const std::string& oldPath = held_[move.position].path;
  return FindByPath(std::string_view(oldPath).substr(0, oldPath.rfind('/') + 1)) == kNoNode;
}

bool InotifyDecoder::ArriveAtMet(const PendingMove& move) {
  // Dropped from the tree with a folder above its old place, which the log
  // may have given up since: to the log it left there (with what its watches
  // said since) and arrives here, read anew (its watches went with that folder).
  if (!move.gone.empty()) LeaveTree(move.position, move.gone, move.leftEarly);
  if (!move.logged) EraseHeld(move.position);
  const int32_t parentWatch = move.met->parentWatch;
  const NodeId parent = tree_.FindByWatch(parentWatch);
  if (parent == kNoNode) return true;
  RawChange& change = held_.emplace_back();
  heldOrigins_.push_back({parentWatch, parentWatch});
  change.action = RawAction::kMovedIn;
  change.isDirectory = true;
  change.path.assign(DirectoryPath(parent)).append(move.met->name);
  tree_.EntriesOf(parent).Add(move.met->name);
  echoes_.NoteCreated(parentWatch, move.met->name);
  AddDirectory(parent, move.met->name, ScanMode::kArrival, parentWatch);
  return true;
}

bool InotifyDecoder::ComeBackAtMet(const PendingMove& move) {
  // Met as the directory a scan was asked to read, whose name the log has
  // already: to the log it left under its old name and came back there.
  const std::unordered_set<int32_t> inside = SubtreeWatches(tree_.FindByWatch(move.movedWatch));
  LeaveTree(move.position, std::vector<int32_t>(inside.begin(), inside.end()), move.leftEarly);
  if (!move.logged) EraseHeld(move.position);
  const NodeId moved = tree_.FindByWatch(move.movedWatch);
  const NodeId parent = tree_.FindByWatch(move.met->parentWatch);
  if (moved == kNoNode || parent == kNoNode || tree_.IsWithin(parent, moved)) return true;
  tree_.Move(moved, parent, move.met->name);
  TreeChanged();
  AddDirectory(parent, move.met->name, ScanMode::kArrival, move.met->parentWatch);
  return true;
}

void InotifyDecoder::DropHeldFrom(size_t first, const std::vector<int32_t>& watches) {
  // What the moved directory reported after it left happened outside the tree.
  const std::unordered_set<int32_t> gone(watches.begin(), watches.end());
  constexpr size_t kDropped = SIZE_MAX;
  std::vector<size_t> newPositions(held_.size() - first);
  size_t kept = first;
  for (size_t index = first; index < held_.size(); ++index) {
    newPositions[index - first] = gone.contains(heldOrigins_[index].from) ? kDropped : kept++;
  }
  std::vector<int32_t> leftOutside;
  std::erase_if(pendingMoves_, [&](PendingMove& later) {
    if (later.position < first) return false;
    later.position = newPositions[later.position - first];
    if (later.position == kDropped && later.movedWatch >= 0) leftOutside.push_back(later.movedWatch);
    return later.position == kDropped;
  });
  for (size_t index = first; index < held_.size(); ++index) {
    const size_t target = newPositions[index - first];
    if (target == kDropped || target == index) continue;
    held_[target] = std::move(held_[index]);
    heldOrigins_[target] = heldOrigins_[index];
  }
  held_.resize(kept);
  heldOrigins_.resize(kept);
  ForgetLeftOutside(leftOutside);
}

void InotifyDecoder::ForgetLeftOutside(const std::vector<int32_t>& watches) {
  // A directory that left a departed one while that one was outside is no
  // longer where the tree has it: should it come in again, its arrival says
  // so and is read.
  std::vector<int32_t> removed;
  for (const int32_t watch : watches) {
    const NodeId node = tree_.FindByWatch(watch);
    if (node != kNoNode && node != tree_.root()) RemoveSubtree(node, removed);
  }
}

void InotifyDecoder::RemoveSubtree(NodeId node, std::vector<int32_t>& removed) {
  removed.clear();
  tree_.Remove(node, removed);
  hooks_.RemoveWatches(removed);
  TreeChanged();
}

void InotifyDecoder::Release(std::vector<RawChange>& out) {
  const size_t ready = pendingMoves_.empty() ? held_.size() : pendingMoves_.front().position;
  if (ready == 0) return;
  std::move(held_.begin(), held_.begin() + ready, std::back_inserter(out));
  held_.erase(held_.begin(), held_.begin() + ready);
  heldOrigins_.erase(heldOrigins_.begin(), heldOrigins_.begin() + ready);
  for (PendingMove& move : pendingMoves_) move.position -= ready;
}

RawChange& InotifyDecoder::Emit(RawAction action, const InotifyRecord& record, NodeId node) {
  const std::string& directory = DirectoryPath(node);
  RawChange& change = held_.emplace_back();
  heldOrigins_.push_back({record.wd, record.wd});
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
