#include "core/engine/source/kind_classifier.h"

#include "core/engine/action.h"

namespace tavrek::engine {
namespace {

// Kinds reported for a metadata change, in the order their records go out.
constexpr WatcherKind kMetadataKinds[] = {kKindWrite, kKindAccess, kKindAttributes,
                                          kKindSecurity};

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

KindClassifier::KindClassifier(KindSet running, StatusReader reader)
    : running_(running),
      reader_(std::move(reader)),
      needStatus_(NeedsStatus(running)),
      needAttributes_(NeedsAttributes(running)) {}

const FileStatus* KindClassifier::RecordedStatus(const std::string& path) const {
  return statuses_.Find(path);
}

void KindClassifier::Classify(const RawChange& change, KindSink& out) {
  switch (change.action) {
    case RawAction::kCreated:
    case RawAction::kMovedIn: ClassifyAppeared(change, out); break;
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
      Add(kKindName, kRecordRenamedOldName, change.oldPath, change.pid, out);
      Add(kKindName, kRecordRenamedNewName, change.path, change.pid, out);
      statuses_.Move(change.oldPath, change.path, change.isDirectory);
      break;
    case RawAction::kModified:
      if (!UnchangedSinceRecorded(change)) ClassifyModified(change, out);
      break;
    case RawAction::kAccessed: ClassifyAccessed(change, out); break;
    case RawAction::kAttrib:
      if (!UnchangedSinceRecorded(change)) ClassifyAttrib(change, out);
      break;
  }
}

bool KindClassifier::UnchangedSinceRecorded(const RawChange& change) const {
  // Only a scan guesses at changes (by their times); the kernel's are real.
  if (!change.fromScan || !needStatus_) return false;
  const FileStatus* before = RecordedStatus(change.path);
  if (before == nullptr) return false;
  const std::optional<FileStatus> now = reader_(change.path, false);
  if (!now || now->inode != before->inode) return false;
  if (change.untouchedSinceMade) return true;
  // Recorded at its creation only: read late, it may already show the change
  // whose own event was lost, so it proves nothing.
  if (!before->sizeKnown) return false;
  return now->modifyTime == before->modifyTime && now->mode == before->mode &&
         now->uid == before->uid && now->gid == before->gid &&
         now->linkCount == before->linkCount && now->size == before->size;
}

void KindClassifier::Add(WatcherKind kind, uint32_t action, const std::string& path, int32_t pid,
                         KindSink& out) const {
  if (running_[kind]) out.Add(kind, action, path, pid);
}

void KindClassifier::ClassifyAppeared(const RawChange& change, KindSink& out) {
  Add(kKindName, kRecordAdded, change.path, change.pid, out);
  // A Linux birth time is set once, when the file comes into being.
  Add(kKindCreation, kRecordModified, change.path, change.pid, out);
  if (!needStatus_) return;
  std::optional<FileStatus> status = reader_(change.path, needAttributes_);
  // The status is read when the event is handled, possibly after the first
  // write to the new file: its size must not stand for the size before it.
  if (status && change.action == RawAction::kCreated && !change.isDirectory) {
    status->sizeKnown = false;
    if (status->linkCount > 1) {
      LinkCountChanged(change.path, status->inode, status->linkCount, change.pid, out);
    }
  }
  Store(change.path, std::move(status));
}

void KindClassifier::ClassifyModified(const RawChange& change, KindSink& out) {
  Add(kKindWrite, kRecordModified, change.path, change.pid, out);
  if (!needStatus_) return;
  const FileStatus* before = RecordedStatus(change.path);
  std::optional<FileStatus> after = reader_(change.path, needAttributes_ && before == nullptr);
  // Without a size to compare with (no earlier status, or it could not be
  // read now) the size counts as changed: a size change is never missed.
  const bool sizeChanged = before == nullptr || !before->sizeKnown || !after ||
                           before->size != after->size;
  if (sizeChanged) Add(kKindSize, kRecordModified, change.path, change.pid, out);
  Store(change.path, std::move(after));
}

void KindClassifier::ClassifyAccessed(const RawChange& change, KindSink& out) {
  Add(kKindAccess, kRecordModified, change.path, change.pid, out);
  if (!needStatus_) return;
  Store(change.path,
        reader_(change.path, needAttributes_ && RecordedStatus(change.path) == nullptr));
}

void KindClassifier::ClassifyAttrib(const RawChange& change, KindSink& out) {
  if (!needStatus_) return;  // no running kind reports metadata changes
  std::optional<FileStatus> after = reader_(change.path, needAttributes_);
  const KindBits kinds =
      MetadataChangeKinds(RecordedStatus(change.path), after ? &*after : nullptr);
  for (WatcherKind kind : kMetadataKinds) {
    if (kinds & KindBit(kind)) Add(kind, kRecordModified, change.path, change.pid, out);
  }
  Store(change.path, std::move(after));
}

void KindClassifier::Store(const std::string& path, std::optional<FileStatus> after) {
  const FileStatus* before = statuses_.Find(path);
  if (!after) {
    if (before != nullptr) statuses_.Erase(path, false);
    return;
  }
  // Attributes are not read on every write; they carry over until read again.
  if (before != nullptr && !after->attributesKnown && before->attributesKnown) {
    after->securityAttributes = before->securityAttributes;
    after->otherAttributes = before->otherAttributes;
    after->attributesKnown = true;
  }
  statuses_.Set(path, *after);
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
