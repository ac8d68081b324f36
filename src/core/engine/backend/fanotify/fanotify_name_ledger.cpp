#include "core/engine/backend/fanotify/fanotify_name_ledger.h"

#include <algorithm>
#include <utility>

namespace tavrek::engine {
namespace {

bool IsBelow(const std::string& path, const std::string& top) {
  return path.size() > top.size() && path.starts_with(top) && path[top.size()] == '/';
}

// An object the record names matches what the ledger holds; an unnamed one
// matches anything.
bool Matches(const FanotifyFileKey& held, const FanotifyFileKey& object) {
  return held.empty() || object.empty() || held == object;
}

RawChange Deletion(const std::string& path, bool isDirectory, int32_t pid) {
  RawChange change;
  change.action = RawAction::kDeleted;
  change.isDirectory = isDirectory;
  change.path = path;
  change.pid = pid;
  return change;
}

// Where `path` is now when a folder above moved `then` to `now` (one name's
// paths before and after); nothing when `path` lies outside what moved.
std::optional<std::string> FollowFolders(const std::string& path, const std::string& then,
                                         const std::string& now) {
  if (then == now) return path;
  size_t same = 0;  // the common tail, from a '/' on
  for (size_t tail = 1; tail <= std::min(then.size(), now.size()); ++tail) {
    if (then[then.size() - tail] != now[now.size() - tail]) break;
    if (then[then.size() - tail] == '/') same = tail;
  }
  const std::string oldTop = then.substr(0, then.size() - same);
  const std::string newTop = now.substr(0, now.size() - same);
  if (same == 0) return std::nullopt;
  if (path.size() <= oldTop.size() || !path.starts_with(oldTop) || path[oldTop.size()] != '/') {
    return std::nullopt;
  }
  return newTop + path.substr(oldTop.size());
}

}  // namespace

const FanotifyNameLedger::Name* FanotifyNameLedger::Find(const std::string& path) const {
  return names_.Find(path);
}

bool FanotifyNameLedger::Holds(const std::string& path, const FanotifyFileKey& object) const {
  const Name* name = Find(path);
  return name && name->present && Matches(name->object, object);
}

// Whether the log already shows `object` as present (or as gone) at `path`;
// only a named object can be recognised.
bool FanotifyNameLedger::Told(const std::string& path, const FanotifyFileKey& object,
                              bool present) const {
  const Name* name = Find(path);
  return !object.empty() && name && name->present == present && name->object == object;
}

void FanotifyNameLedger::Created(RawChange change, const FanotifyFileKey& object,
                                 std::vector<RawChange>& out) {
  ReleaseAt(change.path, object, out);
  const Name* name = Find(change.path);
  if (name && name->present && !object.empty() && name->object == object) return;  // told
  // Something else is still there as far as the log knows: it went first.
  if (name && name->present) {
    const Name gone = *name;
    Emit(Deletion(change.path, gone.isDirectory, change.pid), gone.object, out);
  }
  Emit(std::move(change), object, out);
}

void FanotifyNameLedger::Deleted(RawChange change, const FanotifyFileKey& object,
                                 std::vector<RawChange>& out) {
  // This is the deletion of the object itself; what is kept back below it goes first.
  auto [first, last] = pending_.equal_range(change.path);
  while (first != last) {
    first = Matches(first->second.object, object) ? pending_.erase(first) : std::next(first);
  }
  Leave(std::move(change), object, out);
}

// A deletion or a move out of the tree: the object was at the name then.
void FanotifyNameLedger::Leave(RawChange change, const FanotifyFileKey& object,
                               std::vector<RawChange>& out) {
  ReleaseAt(change.path, object, out);
  Bring(change, object, change.path, out);
  if (Told(change.path, object, false)) return;  // told already
  Emit(std::move(change), object, out);
}

void FanotifyNameLedger::DeletedLater(RawChange change, const FanotifyFileKey& object,
                                      std::vector<RawChange>& out) {
  if (!Find(change.path)) {
    // The record proves the object was there, though the log never said so.
    Put(change.path, Name{object, true, change.isDirectory});
  }
  ReleaseAt(change.path, object, out);
  std::string path = change.path;
  pending_.emplace(std::move(path), Pending{std::move(change), object});
}

void FanotifyNameLedger::Moved(RawChange change, const FanotifyFileKey& object,
                               std::vector<RawChange>& out,
                               const std::optional<FanotifyEntry>& from,
                               const std::optional<FanotifyEntry>& to) {
  if (change.action == RawAction::kMovedOut) return Leave(std::move(change), object, out);
  ReleaseAt(change.path, object, out);
  if (change.action == RawAction::kRenamed) return Renamed(std::move(change), object, out, from, to);
  // Still inside as far as the log knows: it left and came back unseen.
  Bring(change, object, change.path, out);
  if (Told(change.path, object, true)) return;
  Emit(std::move(change), object, out);
}

void FanotifyNameLedger::Renamed(RawChange change, const FanotifyFileKey& object,
                                 std::vector<RawChange>& out,
                                 const std::optional<FanotifyEntry>& from,
                                 const std::optional<FanotifyEntry>& to) {
  const Name* source = Find(change.oldPath);
  if (source && !source->present && Told(change.path, object, true)) return;  // told already
  Bring(change, object, change.oldPath, out);
  source = Find(change.oldPath);
  if (source && !source->present) {
    // The log lost the object on its way to the old name: it appears here.
    change.action = RawAction::kMovedIn;
    change.oldPath.clear();
  }
  const bool stays = change.action == RawAction::kRenamed && !object.empty();
  Emit(std::move(change), object, out);
  if (!stays) return;
  Rename& last = renamesOf_[object].back();
  last.fromEntry = from;
  last.toEntry = to;
  SettleRound(object, out);
}

// Back at a name it had in this drain: from here on the records cannot tell
// how often the round was made, and records in a moved folder are placed by
// where it is; so where it is is settled at once.
void FanotifyNameLedger::SettleRound(const FanotifyFileKey& object, std::vector<RawChange>& out) {
  const std::vector<Rename> renames = renamesOf_[object];
  const Rename& last = renames.back();
  const bool round = std::any_of(renames.begin(), renames.end() - 1,
                                 [&](const Rename& rename) { return rename.from == last.to; });
  if (round) SettleObject(last, renames, out);
}

// The record shows the object at `path`. When the log has it at another name,
// renames the kernel folded into earlier records took it there: told now.
void FanotifyNameLedger::Bring(const RawChange& like, const FanotifyFileKey& object,
                               const std::string& path, std::vector<RawChange>& out) {
  const std::string* found = where_.Find(object);
  if (object.empty() || !found || *found == path) return;
  if (const Name* there = Find(path); there && there->present) return;
  if (IsBelow(path, *found)) return;
  RawChange repeat;
  repeat.action = RawAction::kRenamed;
  repeat.isDirectory = like.isDirectory;
  repeat.path = path;
  repeat.oldPath = *found;
  repeat.pid = like.pid;
  EmitRepeat(std::move(repeat), object, out);
}

void FanotifyNameLedger::EmitRepeat(RawChange change, const FanotifyFileKey& object,
                                    std::vector<RawChange>& out) {
  const std::string from = change.oldPath;
  const std::string to = change.path;
  Emit(std::move(change), object, out);
  if (onRepeat_) onRepeat_(from, to, object);
}

void FanotifyNameLedger::Emit(RawChange change, const FanotifyFileKey& object,
                              std::vector<RawChange>& out) {
  const bool present = change.action == RawAction::kCreated ||
                       change.action == RawAction::kMovedIn ||
                       change.action == RawAction::kRenamed;
  if (change.action == RawAction::kRenamed) {
    MoveNames(change.oldPath, change.path);
    Put(change.oldPath, Name{object, false, change.isDirectory});
    if (!object.empty()) {
      std::vector<Rename>& renames = renamesOf_[object];
      if (renames.empty()) renamed_.push_back(object);
      renames.push_back({object, change.oldPath, change.path, {}, {}, change.pid});
    }
  } else {
    EraseBelow(change.path);
  }
  Put(change.path, Name{object, present, change.isDirectory});
  out.push_back(std::move(change));
}

void FanotifyNameLedger::Put(const std::string& path, const Name& name) {
  // One look-up, whether the name is new or known.
  const auto [held, added] = names_.TryEmplace(path, name);
  if (!added) {
    Unindex(path, *held);
    *held = name;
  }
  if (name.present && !name.object.empty()) where_[name.object] = path;
}

void FanotifyNameLedger::Unindex(const std::string& path, const Name& old) {
  if (old.object.empty()) return;
  const std::string* found = where_.Find(old.object);
  if (found && *found == path) where_.Erase(old.object);
}

void FanotifyNameLedger::MoveNames(const std::string& from, const std::string& to) {
  EraseBelow(to);
  std::vector<std::pair<std::string, Name>> moved;
  names_.EraseBelow(from, [&](const std::string& path, const Name& name) {
    moved.emplace_back(to + path.substr(from.size()), name);
    Unindex(path, name);
  });
  for (auto& [path, name] : moved) Put(path, name);
  const std::string prefix = from + "/";
  std::vector<Pending> carried;
  for (auto it = pending_.lower_bound(prefix); it != pending_.end() && it->first.starts_with(prefix);) {
    carried.push_back(std::move(it->second));
    it = pending_.erase(it);
  }
  for (Pending& pending : carried) {
    pending.change.path = to + pending.change.path.substr(from.size());
    std::string path = pending.change.path;
    pending_.emplace(std::move(path), std::move(pending));
  }
}

void FanotifyNameLedger::EraseBelow(const std::string& path) {
  names_.EraseBelow(path,
                    [&](const std::string& below, const Name& name) { Unindex(below, name); });
}

void FanotifyNameLedger::ReleaseAt(const std::string& path, const FanotifyFileKey& except,
                                   std::vector<RawChange>& out) {
  if (pending_.empty()) return;  // the common case: nothing kept back
  std::vector<Pending> due;
  auto [first, last] = pending_.equal_range(path);
  while (first != last) {
    const bool isDue = except.empty() || first->second.object != except;
    if (isDue) due.push_back(std::move(first->second));
    first = isDue ? pending_.erase(first) : std::next(first);
  }
  const std::string prefix = path + "/";
  for (auto it = pending_.lower_bound(prefix); it != pending_.end() && it->first.starts_with(prefix);) {
    due.push_back(std::move(it->second));
    it = pending_.erase(it);
  }
  Release(std::move(due), out);
}

void FanotifyNameLedger::Release(std::vector<Pending> due, std::vector<RawChange>& out) {
  // What lies deeper goes first, so a folder is empty when its deletion comes.
  std::stable_sort(due.begin(), due.end(), [](const Pending& a, const Pending& b) {
    return a.change.path.size() > b.change.path.size();
  });
  for (Pending& pending : due) ReleasePending(std::move(pending), out);
}

void FanotifyNameLedger::ReleasePending(Pending pending, std::vector<RawChange>& out) {
  // Renamed away since: the deletion came after a repeat of a rename back.
  Bring(pending.change, pending.object, pending.change.path, out);
  if (!Holds(pending.change.path, pending.object)) return;
  Emit(std::move(pending.change), pending.object, out);
}

std::optional<FanotifyEntryNow> FanotifyNameLedger::Probe(
    const std::optional<FanotifyEntry>& entry) const {
  if (!entry || !probe_) return std::nullopt;
  return probe_(*entry);
}

void FanotifyNameLedger::SettleRenames(std::vector<RawChange>& out) {
  auto renamesOf = std::move(renamesOf_);
  const std::vector<FanotifyFileKey> renamed = std::move(renamed_);
  renamesOf_.clear();
  renamed_.clear();
  for (auto object = renamed.rbegin(); object != renamed.rend(); ++object) {
    const std::vector<Rename>& renames = renamesOf[*object];
    SettleObject(renames.back(), renames, out);
  }
  renamesOf_.clear();
  renamed_.clear();
}

// The object should be where its last rename left it. When it is not, but
// at another name of its renames, a repeat was folded into an earlier record.
// The names are looked at through their directories' handles: the ledger's
// paths are those of the drain, and folders above may have moved since, so
// the repeat is told at the names as they are now.
void FanotifyNameLedger::SettleObject(const Rename& last, const std::vector<Rename>& renames,
                                      std::vector<RawChange>& out) {
  const std::string* current = where_.Find(last.object);
  if (last.object.empty() || !current) return;  // gone from the log since
  const std::string here = *current;
  std::optional<FanotifyEntryNow> now = Probe(last.toEntry);
  if (!now || (now->present && Matches(now->object, last.object))) return;
  for (const Rename& rename : renames) {
    for (const auto& [path, entry] : {std::pair{&rename.from, &rename.fromEntry},
                                      std::pair{&rename.to, &rename.toEntry}}) {
      std::optional<FanotifyEntryNow> there = Probe(*entry);
      if (*path == last.to || !there || !there->present ||
          !Matches(there->object, last.object)) {
        continue;
      }
      std::optional<std::string> moved = FollowFolders(*path, last.to, here);
      if (!moved || *moved == here) continue;
      RawChange repeat;
      repeat.action = RawAction::kRenamed;
      repeat.isDirectory = Find(here)->isDirectory;
      repeat.path = *moved;
      repeat.oldPath = here;
      repeat.pid = last.pid;
      EmitRepeat(std::move(repeat), last.object, out);
      return;
    }
  }
}

void FanotifyNameLedger::EndDrain(std::vector<RawChange>& out) {
  std::vector<Pending> all;
  for (auto& [path, pending] : pending_) all.push_back(std::move(pending));
  pending_.clear();
  Release(std::move(all), out);
  SettleRenames(out);
  if (names_.size() > capacity_) {
    names_.clear();
    where_.clear();
  }
}

void FanotifyNameLedger::Clear() {
  names_.clear();
  where_.clear();
  pending_.clear();
  renamesOf_.clear();
  renamed_.clear();
}

}  // namespace tavrek::engine
