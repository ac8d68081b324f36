#pragma once
// Values by absolute path, kept per folder: the folders in path order, so that a
// folder's whole subtree is one range, and the names in each folder hashed,
// so that looking up one path touches a few cache lines instead of walking a
// tree of every path and comparing their long common prefixes at each step.
#include <algorithm>
#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tavrek::engine {

template <typename Value>
class FanotifyPathTable {
 public:
  Value* Find(std::string_view path) {
    const auto [folderPath, name] = Split(path);
    const auto folder = folders_.find(folderPath);
    if (folder == folders_.end()) return nullptr;
    const auto found = folder->second.find(name);
    return found == folder->second.end() ? nullptr : &found->second;
  }
  const Value* Find(std::string_view path) const {
    return const_cast<FanotifyPathTable*>(this)->Find(path);
  }

  // The value at `path`, made from `value` when there was none; true when made.
  std::pair<Value*, bool> TryEmplace(std::string_view path, const Value& value) {
    const auto [folderPath, name] = Split(path);
    auto folder = folders_.lower_bound(folderPath);
    if (folder == folders_.end() || folder->first != folderPath) {
      folder = folders_.emplace_hint(folder, std::string(folderPath), Names{});
    }
    const auto [found, added] = folder->second.try_emplace(std::string(name), value);
    if (added) ++size_;
    return {&found->second, added};
  }

  // Removes every path strictly below `top` (at any depth), calling
  // `visit(path, value)` for each first, in path order.
  template <typename Visit>
  void EraseBelow(const std::string& top, Visit&& visit) {
    std::vector<std::pair<std::string, Value>> gone;
    const auto take = [&](typename Folders::iterator folder) {
      for (auto& [name, value] : folder->second) {
        gone.emplace_back(folder->first + '/' + name, std::move(value));
      }
      size_ -= folder->second.size();
      return folders_.erase(folder);
    };
    if (const auto own = folders_.find(top); own != folders_.end()) take(own);
    const std::string prefix = top + '/';
    for (auto folder = folders_.lower_bound(prefix);
         folder != folders_.end() && folder->first.starts_with(prefix);) {
      folder = take(folder);
    }
    std::sort(gone.begin(), gone.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [path, value] : gone) visit(path, value);
  }

  size_t size() const { return size_; }
  void clear() {
    folders_.clear();
    size_ = 0;
  }

 private:
  struct NameHash {
    using is_transparent = void;
    size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
  };
  using Names = std::unordered_map<std::string, Value, NameHash, std::equal_to<>>;
  using Folders = std::map<std::string, Names, std::less<>>;

  // "/a/b/c" is the name "c" in the folder "/a/b"; "/c" is "c" in "".
  static std::pair<std::string_view, std::string_view> Split(std::string_view path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) return {{}, path};
    return {path.substr(0, slash), path.substr(slash + 1)};
  }

  Folders folders_;
  size_t size_ = 0;
};

}  // namespace tavrek::engine
