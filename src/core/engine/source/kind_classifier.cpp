#include "core/engine/source/kind_classifier.h"

#include <utility>

#include "core/engine/action.h"

namespace tavrek::engine {
namespace {

// Kinds reported for a metadata change (or one a scan found), in the order
// their records go out.
constexpr WatcherKind kMetadataKinds[] = {kKindWrite, kKindAccess, kKindSize, kKindAttributes,
                                          kKindSecurity};
// What each kind of event may change of a file's status.
constexpr StatusParts kWriteParts = kPartSize | kPartModifyTime;
constexpr StatusParts kMetadataParts = kAllParts & ~kPartSize;

bool NeedsStatus(const KindSet& running) {
  return running[kKindWrite] || running[kKindAccess] || running[kKindSize] ||
         running[kKindAttributes] || running[kKindSecurity];
}

// Only these kinds are told apart by extended attributes; reading them costs
// a system call or more per status.
bool NeedsAttributes(const KindSet& running) {
  return running[kKindAttributes] || running[kKindSecurity];
}

}  // namespace

KindClassifier::KindClassifier(KindSet running, StatusReader reader, UmaskReader umaskOf)
    : running_(running),
      reader_(std::move(reader)),
      umaskOf_(std::move(umaskOf)),
      needStatus_(NeedsStatus(running)),
      needAttributes_(NeedsAttributes(running)) {}

const FileStatus* KindClassifier::RecordedStatus(const std::string& path) const {
  return statuses_.Find(path);
}

void KindClassifier::Classify(const RawChange& change, KindSink& out) {
  ClassifyChange(change, out, false);
}

void KindClassifier::ClassifyPuttingOff(const RawChange& change, KindSink& out) {
  ClassifyChange(change, out, true);
}

bool KindClassifier::ReadsBeforeRows(const RawChange& change) const {
  if (HasPutOff()) return true;
  if (!needStatus_) return false;
  switch (change.action) {
    case RawAction::kModified:
    case RawAction::kAttrib:
    case RawAction::kAccessed: return true;
    default: return false;
  }
}

void KindClassifier::ReadPutOff(KindSink& out) {
  if (!putOff_) return;
  const RawChange change = *std::exchange(putOff_, std::nullopt);
  RecordNewFile(change, out);
}

void KindClassifier::ClassifyChange(const RawChange& change, KindSink& out, bool mayPutOff) {
  ReadPutOff(out);
  FollowFolders(change);
  switch (change.action) {
    case RawAction::kCreated:
    case RawAction::kMovedIn: ClassifyAppeared(change, out, mayPutOff); break;
    case RawAction::kDeleted:
    case RawAction::kMovedOut:
      Add(kKindName, kRecordRemoved, change.path, change.pid, out);
      if (const FileStatus* gone = RecordedStatus(change.path);
          gone != nullptr && change.action == RawAction::kDeleted && gone->linkCount > 1) {
        LinkCountChanged(change.path, gone->inode, gone->linkCount - 1, change.pid, out);
      }
      statuses_.Erase(change.path, change.isDirectory);
      break;
    case RawAction::kRenamed:
      if (running_[kKindName]) out.AddRename(kKindName, change.oldPath, change.path, change.pid);
      statuses_.Move(change.oldPath, change.path, change.isDirectory);
      break;
    case RawAction::kModified:
    case RawAction::kAttrib:
      if (change.fromScan) {
        ClassifyFound(change, out);
      } else if (change.action == RawAction::kModified) {
        ClassifyModified(change, out);
      } else {
        ClassifyAttrib(change, out);
      }
      break;
    case RawAction::kAccessed: ClassifyAccessed(change, out); break;
  }
}

void KindClassifier::FollowFolders(const RawChange& change) {
  if (change.fromScan) {
    // Found after lost events, perhaps: a folder may have moved unseen.
    folderReader_.Clear();
    return;
  }
  if (!change.isDirectory) return;
  switch (change.action) {
    case RawAction::kRenamed: folderReader_.Forget(change.oldPath); [[fallthrough]];
    case RawAction::kCreated:
    case RawAction::kMovedIn:
    case RawAction::kDeleted:
    case RawAction::kMovedOut: folderReader_.Forget(change.path); break;
    default: break;
  }
}

std::optional<FileStatus> KindClassifier::ReadStatus(const RawChange& change,
                                                     bool withAttributes) {
  if (reader_) return reader_(change.path, withAttributes);
  if (change.fromScan) return ReadFileStatus(change.path, withAttributes);
  return folderReader_.Read(change.path, withAttributes);
}

void KindClassifier::Add(WatcherKind kind, RecordAction action, const std::string& path,
                         int32_t pid, KindSink& out) const {
  if (running_[kind]) out.Add(kind, action, path, pid);
}

void KindClassifier::AddKinds(KindBits kinds, const RawChange& change, KindSink& out) const {
  for (WatcherKind kind : kMetadataKinds) {
    if (kinds & KindBit(kind)) Add(kind, kRecordModified, change.path, change.pid, out);
  }
}

void KindClassifier::ClassifyAppeared(const RawChange& change, KindSink& out, bool mayPutOff) {
  Add(kKindName, kRecordAdded, change.path, change.pid, out);
  // A Linux birth time is set once, when the file comes into being.
  Add(kKindCreation, kRecordModified, change.path, change.pid, out);
  if (!needStatus_) return;
  // What was at the name before is gone; a file moved in has a past the
  // watch never saw, like one untouched since the start. A new file's status
  // below replaces the old one's, so only a folder (with whatever was
  // recorded below its name) or a name moved in needs forgetting first.
  if (change.isDirectory || change.action != RawAction::kCreated) {
    statuses_.Erase(change.path, change.isDirectory);
  }
  if (change.action != RawAction::kCreated) return;
  if (mayPutOff) {
    putOff_ = change;
    return;
  }
  RecordNewFile(change, out);
}

void KindClassifier::RecordNewFile(const RawChange& change, KindSink& out) {
  std::optional<FileStatus> read = ReadStatus(change, needAttributes_);
  if (read && !change.isDirectory && read->linkCount > 1) {
    // A new name of a file that was there already.
    LinkCountChanged(change.path, read->inode, read->linkCount, change.pid, out);
    statuses_.Set(change.path, *read);
    return;
  }
  const uint32_t umask = umaskOf_ ? umaskOf_(change.pid) : makerUmask_.Of(change.pid);
  statuses_.Set(change.path, NewFileStatus(read, change.isDirectory, umask));
}

void KindClassifier::ClassifyModified(const RawChange& change, KindSink& out) {
  Add(kKindWrite, kRecordModified, change.path, change.pid, out);
  if (!needStatus_) return;
  const FileStatus* before = RecordedStatus(change.path);
  std::optional<FileStatus> after = ReadStatus(change, false);
  // Without a size to compare with (none recorded, or it cannot be read now)
  // the size counts as changed: a size change is never missed.
  const bool sizeChanged = before == nullptr || !(before->known & kPartSize) || !after ||
                           before->size != after->size;
  if (sizeChanged) Add(kKindSize, kRecordModified, change.path, change.pid, out);
  Record(change.path, after, kWriteParts);
}

void KindClassifier::ClassifyAccessed(const RawChange& change, KindSink& out) {
  Add(kKindAccess, kRecordModified, change.path, change.pid, out);
  if (!needStatus_) return;
  Record(change.path, ReadStatus(change, false), kPartAccessTime);
}

void KindClassifier::ClassifyAttrib(const RawChange& change, KindSink& out) {
  if (!needStatus_) return;  // no running kind reports metadata changes
  const std::optional<FileStatus> after = ReadStatus(change, needAttributes_);
  // Nothing to compare, or nothing differs (the change left nothing to see,
  // or was read with an earlier one): the record still says "metadata
  // changed", which is attributes.
  AddKinds(MetadataChangeKinds(RecordedStatus(change.path), after ? &*after : nullptr), change,
           out);
  Record(change.path, after, kMetadataParts);
}

void KindClassifier::ClassifyFound(const RawChange& change, KindSink& out) {
  if (!needStatus_) return;
  const FileStatus* before = RecordedStatus(change.path);
  const std::optional<FileStatus> now = ReadStatus(change, needAttributes_ && before != nullptr);
  if (before == nullptr) {
    // Nothing to compare with: what the scan saw of its times. A file made
    // since and untouched had its making reported.
    if (change.untouchedSinceMade) return;
    const KindBits written =
        KindBit(kKindWrite) | (change.sameSize ? 0 : KindBit(kKindSize));
    AddKinds(change.action == RawAction::kModified ? written : KindBit(kKindAttributes), change,
             out);
  } else if (now) {
    KindBits kinds = FoundDifference(*before, *now);
    // Another file under the name is a change even where it looks the same.
    if (kinds == 0 && now->inode != before->inode) kinds = KindBit(kKindAttributes);
    AddKinds(kinds, change, out);
  }
  Record(change.path, now, kAllParts);
}

void KindClassifier::Record(const std::string& path, const std::optional<FileStatus>& read,
                            StatusParts parts) {
  FileStatus* recorded = statuses_.FindMutable(path);
  if (!read) {
    // Renamed or deleted since the change, with its event still to come:
    // what the change cannot have touched still holds and follows a rename.
    if (recorded != nullptr) recorded->known &= static_cast<StatusParts>(~parts);
    if (recorded != nullptr && recorded->known == 0) statuses_.Erase(path, false);
    return;
  }
  if (recorded != nullptr) {
    FileStatus updated = *recorded;
    TakeParts(updated, *read, parts);
    // Changed in place unless another file took the name (the inode index follows).
    if (updated.inode == recorded->inode) {
      *recorded = updated;
    } else {
      statuses_.Set(path, updated);
    }
    return;
  }
  FileStatus fresh = *read;
  fresh.known = parts;
  statuses_.Set(path, fresh);
}

void KindClassifier::LinkCountChanged(const std::string& path, uint64_t inode,
                                      uint32_t linkCount, int32_t pid, KindSink& out) {
  statuses_.ForEachName(inode, [&](const std::string& other, FileStatus& status) {
    if (other == path) return;
    Add(kKindAttributes, kRecordModified, other, pid, out);
    status.linkCount = linkCount;
  });
}

}  // namespace tavrek::engine
