#include "core/engine/backend/fanotify/fanotify_decoder.h"

#include <algorithm>
#include <bit>
#include <utility>

#include "core/engine/backend/fanotify/fanotify_abi.h"

namespace tavrek::engine {
namespace {

// A chain of deleted directories longer than this is taken for garbage (a
// record naming itself as its own parent would otherwise never end).
constexpr int kMaxLocationDepth = 256;

constexpr uint64_t kSelfEvents = FAN_DELETE_SELF | FAN_MOVE_SELF;

struct EntryAction {
  uint64_t bit;
  RawAction action;
};
// Changes of a name's content, between its creation and its deletion when
// the kernel merged them into one record.
constexpr EntryAction kContentActions[] = {
    {FAN_MODIFY, RawAction::kModified},
    {FAN_ATTRIB, RawAction::kAttrib},
    {FAN_ACCESS, RawAction::kAccessed},
};
constexpr uint64_t kEntryEvents = FAN_CREATE | FAN_MODIFY | FAN_ATTRIB | FAN_ACCESS | FAN_DELETE;

// A program's start and nothing else: no change to show, no place to find.
bool IsExecOnly(const FanotifyRecord& record) {
  return (record.mask & FAN_OPEN_EXEC) && (record.mask & ~(FAN_OPEN_EXEC | FAN_ONDIR)) == 0;
}

bool NamesDirectoryItself(const FanotifyEntry& entry) {
  return entry.name.empty() || entry.name == ".";
}

std::string Join(const std::string& directory, const std::string& name) {
  if (name.empty() || name == ".") return directory;
  std::string path;
  path.reserve(directory.size() + 1 + name.size());
  path.append(directory);
  if (directory != "/") path.push_back('/');
  path.append(name);
  return path;
}

bool IsAtOrAbove(const std::string& path, const std::string& below) {
  if (path == below) return true;
  return below.starts_with(path == "/" ? path : path + "/");
}

std::string WithoutTrailingSlash(const std::string& path) {
  return path.size() > 1 && path.back() == '/' ? path.substr(0, path.size() - 1) : path;
}

// The object a self event is about: named by its own handle, or (for a
// directory) as the directory's "." entry.
std::optional<FanotifyFileKey> SelfObject(const FanotifyRecord& record) {
  if (record.object) return record.object;
  if (record.entry && NamesDirectoryItself(*record.entry)) return record.entry->directory;
  return std::nullopt;
}

RawChange MakeChange(RawAction action, const FanotifyRecord& record, std::string path,
                     std::string oldPath = {}) {
  RawChange change;
  change.action = action;
  change.isDirectory = (record.mask & FAN_ONDIR) != 0;
  change.path = std::move(path);
  change.oldPath = std::move(oldPath);
  change.pid = record.pid;
  return change;
}

}  // namespace

FanotifyDecoder::FanotifyDecoder(FanotifyFolder folder, FanotifyHandleResolver resolver,
                                 FanotifyEntryProbe probe, FanotifyParentResolver parent)
    : folder_(std::move(folder)),
      folderDirectory_(WithoutTrailingSlash(folder_.realPath)),
      resolver_(std::move(resolver)),
      parentResolver_(std::move(parent)),
      outside_(cache_, folder_.realPath),
      ledger_(std::move(probe),
              [this](const std::string& from, const std::string& to, const FanotifyFileKey& key) {
                FollowRepeat(from, to, key);
              }) {
  // Where the folder itself is, is known: records in it stay placeable even
  // after it is gone, up to the record of its end.
  cache_.Learn(folder_.key, folderDirectory_);
}

// A rename the kernel folded into an earlier record, found by the ledger: a
// folder's records that follow are placed where it went.
void FanotifyDecoder::FollowRepeat(const std::string& from, const std::string& to,
                                   const FanotifyFileKey& key) {
  const std::string& top = folder_.shownPath;
  if (!from.starts_with(top) || !to.starts_with(top)) return;
  const std::string oldPath = folder_.realPath + from.substr(top.size());
  const std::string newPath = folder_.realPath + to.substr(top.size());
  // Only a folder the cache still has at the old name; renames the records
  // tell themselves have moved it already.
  if (const std::string* known = cache_.Find(key); !known || *known != oldPath) return;
  cache_.Moved(oldPath, newPath);
  cache_.Learn(key, newPath);
}

void FanotifyDecoder::Parse(std::span<const std::byte> buffer,
                            std::vector<FanotifyRecord>& records) {
  malformed_ += ParseFanotifyRecords(buffer, records, &outside_);
}

DrainResult FanotifyDecoder::Decode(std::span<const std::byte> buffer,
                                    std::vector<RawChange>& out) {
  std::vector<FanotifyRecord> records;
  Parse(buffer, records);
  return DecodeRecords(records, out);
}

DrainResult FanotifyDecoder::DecodeRecords(const std::vector<FanotifyRecord>& records,
                                          std::vector<RawChange>& out) {
  if (held_.empty()) return DecodeAll(records, 0, out);
  // Records that waited once are never held again.
  std::vector<FanotifyRecord> combined = std::move(held_);
  held_.clear();
  const size_t holdFrom = combined.size();
  combined.insert(combined.end(), records.begin(), records.end());
  return DecodeAll(combined, holdFrom, out);
}

void FanotifyDecoder::FlushHeld(std::vector<RawChange>& out) {
  std::vector<FanotifyRecord> waiting = std::move(held_);
  held_.clear();
  DecodeAll(waiting, waiting.size(), out);
}

DrainResult FanotifyDecoder::DecodeAll(const std::vector<FanotifyRecord>& records,
                                       size_t holdFrom, std::vector<RawChange>& out) {
  DrainResult result;
  CollectLocations(records);
  later_.Index(records);
  for (size_t index = 0; index < records.size(); ++index) {
    const FanotifyRecord& record = records[index];
    if (record.mask & FAN_Q_OVERFLOW) {
      // Lost events may have moved directories: the cache cannot be trusted.
      ++result.overflows;
      arrived_ = true;
      cache_.Clear();
      cache_.Learn(folder_.key, folderDirectory_);
      ledger_.EndDrain(out);
      ledger_.Clear();
      continue;
    }
    if (TakeExec(record)) continue;
    if (EndsWatch(record)) {
      result.ended = true;
      break;
    }
    if (index >= holdFrom && (!Placeable(record) || AboutHeldObject(record))) {
      // Only the record itself waits (and later ones about the same object):
      // it is most likely about another part of the file system, whose
      // activity must not hold back the folder's rows.
      held_.push_back(record);
      placedRecord_ = nullptr;
      continue;
    }
    Translate(record, later_.RelatedLater(index), out);
  }
  placedRecord_ = nullptr;
  ledger_.EndDrain(out);
  result.pendingPairs = !held_.empty();
  outside_.Decoded(std::any_of(held_.begin(), held_.end(), [](const FanotifyRecord& held) {
    return (held.mask & FAN_RENAME) && (held.mask & FAN_ONDIR);
  }));
  earlierLocation_.clear();
  answers_.clear();
  return result;
}

bool FanotifyDecoder::TakeExec(const FanotifyRecord& record) {
  if (!(record.mask & FAN_OPEN_EXEC)) return false;
  if (execSink_ && record.entry && !NamesDirectoryItself(*record.entry)) {
    std::optional<std::string> path;
    if (record.fsid == fsid_) path = ResolveEntry(*record.entry);
    execSink_(record, path.value_or(""));
  }
  return IsExecOnly(record);
}

bool FanotifyDecoder::Placeable(const FanotifyRecord& record) {
  if (record.mask & FAN_RENAME) {
    if (!record.oldEntry || !record.newEntry) return true;
    // A moved directory's own handle tells where it was when its old parent is gone.
    const bool knownDirectory =
        (record.mask & FAN_ONDIR) && record.object && cache_.Find(*record.object);
    return (knownDirectory || ResolveEntry(*record.oldEntry)) && ResolveEntry(*record.newEntry);
  }
  if (!(record.mask & kEntryEvents) || !record.entry) return true;
  placed_ = ResolveEntry(*record.entry);
  placedRecord_ = &record;
  return placed_.has_value();
}

bool FanotifyDecoder::AboutHeldObject(const FanotifyRecord& record) const {
  if (!record.object) return false;
  return std::any_of(held_.begin(), held_.end(),
                     [&](const FanotifyRecord& held) { return held.object == record.object; });
}

void FanotifyDecoder::CollectLocations(const std::vector<FanotifyRecord>& records) {
  for (const FanotifyRecord& record : records) {
    if (!(record.mask & FAN_ONDIR) || !record.object) continue;
    const std::optional<FanotifyEntry>* where = nullptr;
    if (record.mask & FAN_RENAME) {
      where = &record.oldEntry;
    } else if (record.mask & FAN_DELETE) {
      where = &record.entry;
    }
    if (where && *where) earlierLocation_.emplace(*record.object, **where);
  }
}

bool FanotifyDecoder::EndsWatch(const FanotifyRecord& record) {
  if (record.mask & kSelfEvents) {
    if (SelfObject(record) == folder_.key) return true;
  }
  if ((record.mask & (FAN_DELETE | FAN_RENAME)) && record.object == folder_.key) return true;
  if ((record.mask & FAN_DELETE) && record.entry) {
    if (ResolveEntry(*record.entry) == folderDirectory_) return true;
  }
  if ((record.mask & FAN_RENAME) && record.oldEntry && record.newEntry) {
    // A folder above moved takes the folder away from its path; another
    // directory moved onto the folder's path replaces it.
    std::optional<std::string> oldPath = ResolveEntry(*record.oldEntry);
    if (oldPath && IsAtOrAbove(*oldPath, folderDirectory_)) return true;
    if (ResolveEntry(*record.newEntry) == folderDirectory_) return true;
  }
  return false;
}

void FanotifyDecoder::Translate(const FanotifyRecord& record, bool deletionWaits,
                                std::vector<RawChange>& out) {
  if (record.mask & FAN_RENAME) TranslateRename(record, out);
  if (!(record.mask & kEntryEvents) || !record.entry) return;
  // Placed just now, when it was asked whether it could be (nothing between
  // changed where directories are): not resolved twice.
  std::optional<std::string> path =
      placedRecord_ == &record ? std::move(placed_) : ResolveEntry(*record.entry);
  placedRecord_ = nullptr;
  if (!path) return;
  const bool isDirectory = (record.mask & FAN_ONDIR) != 0;
  const bool deleted = (record.mask & FAN_DELETE) != 0;
  if (isDirectory && record.object && !deleted) cache_.Learn(*record.object, *path);
  // The path is needed afterwards only for a deleted directory.
  const bool keep = isDirectory && deleted;
  if (std::optional<std::string> shown = keep ? ShownPath(*path) : ShownPath(std::move(*path))) {
    EmitEntry(record, std::move(*shown), deletionWaits, out);
  }
  if (keep) {
    if (record.object) cache_.Forget(*record.object);
    cache_.ForgetTree(*path);
  }
}

void FanotifyDecoder::EmitEntry(const FanotifyRecord& record, std::string shown,
                                bool deletionWaits, std::vector<RawChange>& out) {
  const FanotifyFileKey object = record.object.value_or(FanotifyFileKey{});
  // Each change gets the path; the last one takes it.
  int uses = std::popcount(record.mask & kEntryEvents);
  const auto take = [&]() -> std::string {
    if (--uses == 0) return std::move(shown);
    return shown;
  };
  if (record.mask & FAN_CREATE) {
    ledger_.Created(MakeChange(RawAction::kCreated, record, take()), object, out);
  }
  for (const EntryAction& entry : kContentActions) {
    if (record.mask & entry.bit) out.push_back(MakeChange(entry.action, record, take()));
  }
  if (!(record.mask & FAN_DELETE)) return;
  RawChange deleted = MakeChange(RawAction::kDeleted, record, take());
  // Another change in the same record means the kernel merged events; the
  // deletion came last, but how late the record does not say. Unless a later
  // record may need the name, it goes where the kernel put the record.
  if (HoldsMergedDeletion(record) && deletionWaits) {
    ledger_.DeletedLater(std::move(deleted), object, out);
  } else {
    ledger_.Deleted(std::move(deleted), object, out);
  }
}

void FanotifyDecoder::TranslateRename(const FanotifyRecord& record, std::vector<RawChange>& out) {
  if (!record.oldEntry || !record.newEntry) return;
  std::optional<std::string> oldPath = ResolveEntry(*record.oldEntry);
  const std::optional<std::string> newPath = ResolveEntry(*record.newEntry);
  if (record.mask & FAN_ONDIR) {
    // The old parent may be gone by now; a moved directory's own path still tells.
    const std::string* known = record.object ? cache_.Find(*record.object) : nullptr;
    if (!oldPath && known) oldPath = *known;
    if (known && *known != *oldPath && !IsAtOrAbove(*known, *oldPath)) {
      // Elsewhere as far as the records told: renames back to the old name
      // were folded into earlier records. What lies below goes along.
      const std::string from = *known;
      cache_.Moved(from, *oldPath);
    }
    FollowMove(oldPath, newPath, record);
  }
  std::optional<std::string> oldShown = oldPath ? ShownPath(*oldPath) : std::nullopt;
  std::optional<std::string> newShown = newPath ? ShownPath(*newPath) : std::nullopt;
  const FanotifyFileKey object = record.object.value_or(FanotifyFileKey{});
  if (oldShown && newShown) {
    ledger_.Moved(MakeChange(RawAction::kRenamed, record, *newShown, *oldShown), object, out,
                  record.oldEntry, record.newEntry);
  } else if (oldShown) {
    ledger_.Moved(MakeChange(RawAction::kMovedOut, record, *oldShown), object, out);
  } else if (newShown) {
    if (record.mask & FAN_ONDIR) arrived_ = true;
    ledger_.Moved(MakeChange(RawAction::kMovedIn, record, *newShown), object, out);
  }
}

void FanotifyDecoder::FollowMove(const std::optional<std::string>& oldPath,
                                 const std::optional<std::string>& newPath,
                                 const FanotifyRecord& record) {
  if (oldPath && newPath) {
    cache_.Moved(*oldPath, *newPath);
  } else if (oldPath) {
    cache_.ForgetTree(*oldPath);
  } else if (newPath) {
    cache_.ForgetTree(*newPath);
  }
  if (record.object && newPath) cache_.Learn(*record.object, *newPath);
}

std::optional<std::string> FanotifyDecoder::ResolveDirectory(const FanotifyFileKey& key,
                                                             int depth) {
  if (const std::string* cached = cache_.Find(key)) return *cached;
  if (auto earlier = earlierLocation_.find(key);
      earlier != earlierLocation_.end() && depth < kMaxLocationDepth) {
    const FanotifyEntry where = earlier->second;
    if (std::optional<std::string> parent = ResolveDirectory(where.directory, depth + 1)) {
      std::string path = Join(*parent, where.name);
      cache_.Learn(key, path);
      return path;
    }
  }
  if (depth >= kMaxLocationDepth) return std::nullopt;
  const KernelAnswer& answer = Ask(key);
  if (!answer.path) return std::nullopt;
  std::string path = *answer.path;
  // Through the parent, so that a folder above renamed later in the drain
  // (whose earlier place the records tell) places this one where it was.
  if (answer.parent) {
    const FanotifyEntry parent = *answer.parent;
    if (std::optional<std::string> above = ResolveDirectory(parent.directory, depth + 1)) {
      path = Join(*above, parent.name);
    }
  }
  cache_.Learn(key, path);
  return path;
}

const FanotifyDecoder::KernelAnswer& FanotifyDecoder::Ask(const FanotifyFileKey& key) {
  auto known = answers_.find(key);
  if (known != answers_.end()) return known->second;
  KernelAnswer answer;
  if (resolver_) answer.path = resolver_(key);
  if (answer.path && parentResolver_) answer.parent = parentResolver_(key);
  return answers_.emplace(key, std::move(answer)).first->second;
}

bool FanotifyDecoder::LookUp(const std::vector<FanotifyRecord>& records, size_t from) {
  bool askedKernel = false;
  for (size_t index = from; index < records.size(); ++index) {
    if (IsExecOnly(records[index])) continue;
    for (const std::optional<FanotifyEntry>* entry :
         {&records[index].entry, &records[index].oldEntry, &records[index].newEntry}) {
      if (*entry && LookUpChain((*entry)->directory)) askedKernel = true;
    }
  }
  return askedKernel;
}

bool FanotifyDecoder::LookUpChain(const FanotifyFileKey& key) {
  const FanotifyFileKey* next = &key;
  bool askedKernel = false;
  for (int depth = 0; depth < kMaxLocationDepth && !cache_.Find(*next); ++depth) {
    const bool asked = answers_.contains(*next);
    const KernelAnswer& answer = Ask(*next);
    askedKernel = askedKernel || !asked;
    if (asked || !answer.parent) break;
    next = &answer.parent->directory;
  }
  return askedKernel;
}

std::optional<std::string> FanotifyDecoder::ResolveEntry(const FanotifyEntry& entry) {
  // Most directories are known: their path is not copied on the way.
  if (const std::string* cached = cache_.Find(entry.directory)) return Join(*cached, entry.name);
  std::optional<std::string> directory = ResolveDirectory(entry.directory);
  if (!directory) return std::nullopt;
  return Join(*directory, entry.name);
}

bool FanotifyDecoder::InFolder(const std::string& realPath) const {
  const std::string& top = folder_.realPath;
  if (realPath.size() <= top.size() || !realPath.starts_with(top)) return false;
  return folder_.subtree || realPath.find('/', top.size()) == std::string::npos;
}

std::optional<std::string> FanotifyDecoder::ShownPath(std::string&& realPath) const {
  // The folder as given is most often the folder as the kernel names it.
  if (folder_.shownPath != folder_.realPath) return ShownPath(realPath);
  if (!InFolder(realPath)) return std::nullopt;
  return std::move(realPath);
}

std::optional<std::string> FanotifyDecoder::ShownPath(const std::string& realPath) const {
  if (!InFolder(realPath)) return std::nullopt;
  const std::string_view relative = std::string_view(realPath).substr(folder_.realPath.size());
  std::string shown;
  shown.reserve(folder_.shownPath.size() + relative.size());
  shown.append(folder_.shownPath).append(relative);
  return shown;
}

}  // namespace tavrek::engine
