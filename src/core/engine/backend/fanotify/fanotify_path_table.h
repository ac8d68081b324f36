#pragma once
// Values by absolute path, kept per folder: the folders in path order, so that a
// folder's whole subtree is one range, and the names in each folder in a flat
// hash table, so that looking up one path touches a few cache lines instead of
// walking a tree of every path and comparing their long common prefixes at
// each step. A value's address holds only until the table next changes.
#include <algorithm>
#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/engine/backend/fanotify/fanotify_flat_map.h"
#include "core/engine/folder_lookup_cache.h"

namespace tavrek::engine {

template <typename Value>
class FanotifyPathTable {
 public:
  Value* Find(std::string_view path) {
    const auto [folderPath, name] = Split(path);
    const auto folder = cache_.Find(folders_, folderPath);
    if (folder == folders_.end()) return nullptr;
    return folder->second.Find(name);
  }
  const Value* Find(std::string_view path) const {
    return const_cast<FanotifyPathTable*>(this)->Find(path);
  }

  // The value at `path`, made from `value` when there was none; true when made.
  std::pair<Value*, bool> TryEmplace(std::string_view path, const Value& value) {
    const auto [folderPath, name] = Split(path);
    auto folder = cache_.Find(folders_, folderPath);
    if (folder == folders_.end()) {
      folder = folders_.emplace(std::string(folderPath), Names{}).first;
      cache_.Remember(folderPath, folder);
    }
    const auto made = folder->second.TryEmplace(name, value);
    if (made.second) ++size_;
    return made;
  }

  // Removes every path strictly below `top` (at any depth), calling
  // `visit(path, value)` for each first, in path order.
  template <typename Visit>
  void EraseBelow(const std::string& top, Visit&& visit) {
    std::vector<std::pair<std::string, Value>> gone;
    const auto take = [&](typename Folders::iterator folder) {
      for (auto& [name, value] : folder->second.entries()) {
        gone.emplace_back(folder->first + '/' + name, std::move(value));
      }
      size_ -= folder->second.size();
      cache_.Forget(folder);
      return folders_.erase(folder);
    };
    // Every folder at or below `top` starts with it: most often none does,
    // which one look-up tells.
    const auto first = folders_.lower_bound(top);
    if (first == folders_.end() || !first->first.starts_with(top)) return;
    if (first->first.size() == top.size()) take(first);
    const std::string prefix = top + '/';
    for (auto folder = folders_.lower_bound(prefix);
         folder != folders_.end() && folder->first.starts_with(prefix);) {
      folder = take(folder);
    }
    if (gone.empty()) return;
    std::sort(gone.begin(), gone.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [path, value] : gone) visit(path, value);
  }

  size_t size() const { return size_; }
  void clear() {
    folders_.clear();
    cache_.Clear();
    size_ = 0;
  }

 private:
  using Names = FanotifyFlatMap<Value>;
  using Folders = std::map<std::string, Names, std::less<>>;

  // "/a/b/c" is the name "c" in the folder "/a/b"; "/c" is "c" in "".
  static std::pair<std::string_view, std::string_view> Split(std::string_view path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) return {{}, path};
    return {path.substr(0, slash), path.substr(slash + 1)};
  }

  Folders folders_;
  mutable FolderLookupCache<Folders> cache_;
  size_t size_ = 0;
};

}  // namespace tavrek::engine
