#pragma once
// Which records of one drain have a later record of the same drain (one that
// names an entry) about them: about the same object, something inside it, or
// the directory it is in. The kernel merges a name's deletion into an
// earlier record of the name when that one was not read yet; where no later
// record can depend on when the deletion happened, it is placed where the
// kernel put the record. (Another file made under the name later was made
// after the deletion: it depends on nothing.)
#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/engine/backend/fanotify/fanotify_records.h"

namespace tavrek::engine {

class FanotifyLaterRecords {
 public:
  // Indexes the records; costs nothing when none holds a merged deletion.
  void Index(const std::vector<FanotifyRecord>& records);
  // Whether a record after `index` is about what records[index] is about.
  bool RelatedLater(size_t index) const;

 private:
  void Note(std::unordered_map<std::string, size_t>& last, const std::string& key, size_t index);
  bool After(const std::unordered_map<std::string, size_t>& last, const std::string& key,
             size_t index) const;

  const std::vector<FanotifyRecord>* records_ = nullptr;
  std::unordered_map<std::string, size_t> lastAsObject_;
  std::unordered_map<std::string, size_t> lastAsDirectory_;
};

// A record that says a name was deleted and changed before: the kernel
// merged the deletion into it.
bool HoldsMergedDeletion(const FanotifyRecord& record);

}  // namespace tavrek::engine
