#pragma once
// The names one watched directory holds, as far as the watch knows them:
// what its walk read, kept in step with the kernel's events. After a lost
// stretch of events the directory is read again and compared with them.
//
// Kept compact, since a whole drive has millions of names: one sorted run of
// NUL-terminated names (the bytes of the names plus one each), and a small
// set of changes since, folded into the run once it grows.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tavrek::engine {

class EntryNames {
 public:
  // Replaces the names by `names`, each followed by a NUL, in any order.
  void Assign(std::string_view names);
  void Add(std::string_view name) { Change(name, true); }
  void Remove(std::string_view name) { Change(name, false); }
  bool Contains(std::string_view name) const;

  // Calls `visit` for every name in byte order.
  template <typename Visit>
  void ForEach(Visit&& visit) {
    Fold();
    for (size_t start = 0; start < sorted_.size();) {
      const size_t end = sorted_.find('\0', start);
      visit(std::string_view(sorted_).substr(start, end - start));
      start = end + 1;
    }
  }

  size_t count() {
    Fold();
    return count_;
  }

 private:
  void Change(std::string_view name, bool present);
  void Fold();

  std::string sorted_;  // "a\0b\0..."
  uint32_t count_ = 0;
  struct NameHash {
    using is_transparent = void;
    size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
  };
  using Changes = std::unordered_map<std::string, bool, NameHash, std::equal_to<>>;

  // Names added (true) or removed (false) since the run was last sorted;
  // allocated only while there are any.
  std::unique_ptr<Changes> changes_;
};

// Sorts NUL-terminated names and drops repeats; returns how many remain.
uint32_t SortNames(std::string_view names, std::string& sorted);

}  // namespace tavrek::engine
