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
  // Takes the drain's records; they are indexed only when a record holding
  // a merged deletion is asked about, which most drains never have.
  void Index(const std::vector<FanotifyRecord>& records);
  // Whether a record after `index` is about what records[index] is about;
  // false for a record that holds no merged deletion (nothing waits for it).
  bool RelatedLater(size_t index);

 private:
  void Build();
  void Note(std::unordered_map<std::string, size_t>& last, const std::string& key, size_t index);
  bool After(const std::unordered_map<std::string, size_t>& last, const std::string& key,
             size_t index) const;

  const std::vector<FanotifyRecord>* records_ = nullptr;
  bool built_ = false;
  std::unordered_map<std::string, size_t> lastAsObject_;
  std::unordered_map<std::string, size_t> lastAsDirectory_;
};

// A record that says a name was deleted and changed before: the kernel
// merged the deletion into it.
bool HoldsMergedDeletion(const FanotifyRecord& record);

}  // namespace tavrek::engine
