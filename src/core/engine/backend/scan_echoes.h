#pragma once
// Names a directory scan has reported, or directories the scan itself has
// read, whose kernel events may still wait in the queue. The kernel's event for
// such a name must not be reported a second time; once the queue has been
// read empty after the scan, every such event has passed and the set is
// cleared.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>

namespace tavrek::engine {

class ScanEchoes {
 public:
  // A scan reported `name` in the directory watched by `wd`.
  void NoteCreated(int32_t wd, std::string_view name) { Insert(kCreated, wd, name); }
  // A scan read the directory `name` below the directory watched by `wd`,
  // which makes the kernel report an access to it.
  void NoteOwnRead(int32_t wd, std::string_view name) { Insert(kOwnRead, wd, name); }

  // True (once) when the kernel's creation event repeats a scan's report.
  bool TakeCreated(int32_t wd, std::string_view name);
  bool IsOwnRead(int32_t wd, std::string_view name);
  // The name went away: a later creation of it is a new one.
  void Forget(int32_t wd, std::string_view name);

  void Clear() { keys_.clear(); }
  bool empty() const { return keys_.empty(); }

 private:
  enum Tag : char { kCreated = 'c', kOwnRead = 'r' };
  const std::string& Key(Tag tag, int32_t wd, std::string_view name);
  void Insert(Tag tag, int32_t wd, std::string_view name) { keys_.insert(Key(tag, wd, name)); }

  std::unordered_set<std::string> keys_;
  std::string key_;  // reused to look up without allocating
};

}  // namespace tavrek::engine
