#include "core/engine/backend/fanotify/fanotify_later_records.h"

#include "core/engine/backend/fanotify/fanotify_abi.h"

namespace tavrek::engine {
namespace {

constexpr uint64_t kNameChanges = FAN_CREATE | FAN_MODIFY | FAN_ATTRIB | FAN_ACCESS;

}  // namespace

bool HoldsMergedDeletion(const FanotifyRecord& record) {
  return (record.mask & FAN_DELETE) && (record.mask & kNameChanges);
}

void FanotifyLaterRecords::Index(const std::vector<FanotifyRecord>& records) {
  records_ = &records;
  // Clearing costs as much as the largest index ever built (its buckets are
  // kept): only an index built since is cleared.
  if (!built_) return;
  built_ = false;
  lastAsObject_.clear();
  lastAsDirectory_.clear();
}

void FanotifyLaterRecords::Build() {
  built_ = true;
  for (size_t index = 0; index < records_->size(); ++index) {
    const FanotifyRecord& record = (*records_)[index];
    // A record naming no entry (a link count dropped by a deletion) is never
    // placed in the log: it cannot need a name.
    if (!record.entry && !record.oldEntry && !record.newEntry) continue;
    if (record.object) Note(lastAsObject_, *record.object, index);
    for (const std::optional<FanotifyEntry>* entry :
         {&record.entry, &record.oldEntry, &record.newEntry}) {
      if (*entry) Note(lastAsDirectory_, (*entry)->directory, index);
    }
  }
}

void FanotifyLaterRecords::Note(std::unordered_map<std::string, size_t>& last,
                                const std::string& key, size_t index) {
  if (!key.empty()) last[key] = index;
}

bool FanotifyLaterRecords::After(const std::unordered_map<std::string, size_t>& last,
                                 const std::string& key, size_t index) const {
  const auto found = last.find(key);
  return found != last.end() && found->second > index;
}

bool FanotifyLaterRecords::RelatedLater(size_t index) {
  if (records_ == nullptr || index >= records_->size()) return false;
  const FanotifyRecord& record = (*records_)[index];
  if (!HoldsMergedDeletion(record)) return false;
  if (!built_) Build();
  if (record.object && (After(lastAsObject_, *record.object, index) ||
                        After(lastAsDirectory_, *record.object, index))) {
    return true;
  }
  return record.entry && After(lastAsObject_, record.entry->directory, index);
}

}  // namespace tavrek::engine
