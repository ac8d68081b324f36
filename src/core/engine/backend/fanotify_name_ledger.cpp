#include "core/engine/backend/fanotify_name_ledger.h"

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

}  // namespace

const FanotifyNameLedger::Name* FanotifyNameLedger::Find(const std::string& path) const {
  auto found = names_.find(path);
  return found == names_.end() ? nullptr : &found->second;
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
  if (Told(change.path, object, true)) return;
  // Something else is still there as far as the log knows: it went first.
  if (const Name* name = Find(change.path); name && name->present) {
    const Name gone = *name;
    Emit(Deletion(change.path, gone.isDirectory, change.pid), gone.object, out);
  }
  Emit(std::move(change), object, out);
}

void FanotifyNameLedger::Deleted(RawChange change, const FanotifyFileKey& object,
                                 std::vector<RawChange>& out) {
  // This is the deletion of the object itself; what is kept back below it goes first.
  std::erase_if(pending_, [&](const Pending& pending) {
    return pending.change.path == change.path && Matches(pending.object, object);
  });
  ReleaseAt(change.path, object, out);
  if (Told(change.path, object, false)) return;
  Emit(std::move(change), object, out);
}

void FanotifyNameLedger::DeletedLater(RawChange change, const FanotifyFileKey& object,
                                      std::vector<RawChange>& out) {
  if (!Find(change.path)) {
    // The record proves the object was there, though the log never said so.
    names_[change.path] = Name{object, true, change.isDirectory};
  }
  ReleaseAt(change.path, object, out);
  pending_.push_back({std::move(change), object});
}

void FanotifyNameLedger::Moved(RawChange change, const FanotifyFileKey& object,
                               std::vector<RawChange>& out) {
  if (change.action == RawAction::kMovedOut) {
    ReleaseAt(change.path, object, out);
    if (Told(change.path, object, false)) return;
    Emit(std::move(change), object, out);
    return;
  }
  ReleaseAt(change.path, object, out);
  if (change.action == RawAction::kRenamed) {
    const Name* source = Find(change.oldPath);
    if (source && !source->present) {
      // The log has nothing at the old name any more: the rename was told
      // already, or the object reached that name unseen; it appears here.
      if (Told(change.path, object, true)) return;
      change.action = RawAction::kMovedIn;
      change.oldPath.clear();
    }
  } else if (Told(change.path, object, true)) {
    return;
  }
  Emit(std::move(change), object, out);
}

void FanotifyNameLedger::Emit(RawChange change, const FanotifyFileKey& object,
                              std::vector<RawChange>& out) {
  const bool present = change.action == RawAction::kCreated ||
                       change.action == RawAction::kMovedIn ||
                       change.action == RawAction::kRenamed;
  if (change.action == RawAction::kRenamed) {
    MoveNames(change.oldPath, change.path);
    names_[change.oldPath] = Name{object, false, change.isDirectory};
    renames_.push_back(
        {object, change.oldPath, change.path, change.isDirectory, change.pid});
  } else {
    EraseBelow(change.path);
  }
  names_[change.path] = Name{object, present, change.isDirectory};
  out.push_back(std::move(change));
}

void FanotifyNameLedger::MoveNames(const std::string& from, const std::string& to) {
  EraseBelow(to);
  const std::string prefix = from + "/";
  std::vector<std::pair<std::string, Name>> moved;
  for (auto it = names_.lower_bound(prefix); it != names_.end() && it->first.starts_with(prefix);) {
    moved.emplace_back(to + it->first.substr(from.size()), it->second);
    it = names_.erase(it);
  }
  for (auto& [path, name] : moved) names_[path] = name;
  for (Pending& pending : pending_) {
    if (IsBelow(pending.change.path, from)) {
      pending.change.path = to + pending.change.path.substr(from.size());
    }
  }
}

void FanotifyNameLedger::EraseBelow(const std::string& path) {
  const std::string prefix = path + "/";
  auto first = names_.lower_bound(prefix);
  auto last = first;
  while (last != names_.end() && last->first.starts_with(prefix)) ++last;
  names_.erase(first, last);
}

void FanotifyNameLedger::ReleaseAt(const std::string& path, const FanotifyFileKey& except,
                                   std::vector<RawChange>& out) {
  std::vector<Pending> due;
  std::erase_if(pending_, [&](Pending& pending) {
    const std::string& at = pending.change.path;
    const bool isDue = IsBelow(at, path) ||
                       (at == path && (except.empty() || pending.object != except));
    if (isDue) due.push_back(std::move(pending));
    return isDue;
  });
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
  const std::string& path = pending.change.path;
  if (!Holds(path, pending.object)) {
    // Renamed away since: the deletion came after a repeat of a rename back,
    // which the kernel folded into the earlier record of that rename.
    auto back = std::find_if(renames_.rbegin(), renames_.rend(), [&](const Rename& rename) {
      return rename.to == path && Matches(rename.object, pending.object) &&
             Holds(rename.from, pending.object);
    });
    if (back == renames_.rend()) return;
    RawChange repeat = pending.change;
    repeat.action = RawAction::kRenamed;
    repeat.oldPath = back->from;
    Emit(std::move(repeat), pending.object, out);
  }
  Emit(std::move(pending.change), pending.object, out);
}

bool FanotifyNameLedger::ProbeHolds(const std::string& path, const FanotifyFileKey& object) const {
  std::optional<FanotifyEntryNow> now = probe_ ? probe_(path) : std::nullopt;
  return now && now->present && Matches(now->object, object);
}

void FanotifyNameLedger::SettleRenames(std::vector<RawChange>& out) {
  std::vector<Rename> renames = std::move(renames_);
  renames_.clear();
  std::vector<FanotifyFileKey> settled;
  for (auto last = renames.rbegin(); last != renames.rend(); ++last) {
    if (last->object.empty() || std::ranges::find(settled, last->object) != settled.end()) {
      continue;
    }
    settled.push_back(last->object);
    SettleObject(*last, renames, out);
  }
  renames_.clear();
}

// The object should be where its last rename left it. When it is not, but at
// another name of its renames, a repeat was folded into an earlier record.
void FanotifyNameLedger::SettleObject(const Rename& last, const std::vector<Rename>& renames,
                                      std::vector<RawChange>& out) {
  if (!Holds(last.to, last.object)) return;  // the log has moved it on since
  std::optional<FanotifyEntryNow> here = probe_ ? probe_(last.to) : std::nullopt;
  if (!here || (here->present && Matches(here->object, last.object))) return;
  for (const Rename& rename : renames) {
    if (rename.object != last.object) continue;
    for (const std::string* name : {&rename.from, &rename.to}) {
      if (*name == last.to || !ProbeHolds(*name, last.object)) continue;
      RawChange repeat;
      repeat.action = RawAction::kRenamed;
      repeat.isDirectory = last.isDirectory;
      repeat.path = *name;
      repeat.oldPath = last.to;
      repeat.pid = last.pid;
      Emit(std::move(repeat), last.object, out);
      return;
    }
  }
}

void FanotifyNameLedger::EndDrain(std::vector<RawChange>& out) {
  Release(std::exchange(pending_, {}), out);
  SettleRenames(out);
  if (names_.size() > capacity_) names_.clear();
}

void FanotifyNameLedger::Clear() {
  names_.clear();
  pending_.clear();
  renames_.clear();
}

}  // namespace tavrek::engine
