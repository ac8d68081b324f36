#include "core/engine/backend/fanotify/fanotify_handle_cache.h"

#include <utility>
#include <vector>

namespace tavrek::engine {
namespace {

std::string ChildPrefix(const std::string& path) { return path == "/" ? path : path + "/"; }

bool IsAtOrBelow(const std::string& path, const std::string& top) {
  return path == top || path.starts_with(ChildPrefix(top));
}

}  // namespace

template <typename Visit>
void FanotifyDirectoryCache::ForEachAtOrBelow(const std::string& path, Visit visit) const {
  if (keyAt_.contains(path)) visit(path);
  const std::string prefix = ChildPrefix(path);
  for (auto it = keyAt_.lower_bound(prefix); it != keyAt_.end() && it->first.starts_with(prefix);
       ++it) {
    if (it->first != path) visit(it->first);
  }
}

const std::string* FanotifyDirectoryCache::Find(const FanotifyFileKey& key) const {
  auto it = pathOf_.find(key);
  return it == pathOf_.end() ? nullptr : &it->second;
}

void FanotifyDirectoryCache::Learn(const FanotifyFileKey& key, const std::string& path) {
  Forget(key);
  if (auto there = keyAt_.find(path); there != keyAt_.end()) {
    pathOf_.erase(there->second);
    keyAt_.erase(there);
  }
  if (pathOf_.size() >= capacity_) Clear();
  pathOf_.emplace(key, path);
  keyAt_.emplace(path, key);
}

void FanotifyDirectoryCache::Forget(const FanotifyFileKey& key) {
  auto it = pathOf_.find(key);
  if (it == pathOf_.end()) return;
  keyAt_.erase(it->second);
  pathOf_.erase(it);
}

void FanotifyDirectoryCache::ForgetTree(const std::string& path) {
  std::vector<std::string> doomed;
  ForEachAtOrBelow(path, [&](const std::string& found) { doomed.push_back(found); });
  for (const std::string& found : doomed) {
    auto it = keyAt_.find(found);
    pathOf_.erase(it->second);
    keyAt_.erase(it);
  }
}

void FanotifyDirectoryCache::Moved(const std::string& oldPath, const std::string& newPath) {
  // A directory cannot move into itself; such input is not a move to follow.
  if (IsAtOrBelow(newPath, oldPath)) return;
  ForgetTree(newPath);
  std::vector<std::pair<std::string, FanotifyFileKey>> moving;
  ForEachAtOrBelow(oldPath, [&](const std::string& found) {
    moving.emplace_back(newPath + found.substr(oldPath.size()), keyAt_.at(found));
  });
  ForgetTree(oldPath);
  for (auto& [path, key] : moving) {
    pathOf_[key] = path;
    keyAt_[path] = std::move(key);
  }
}

void FanotifyDirectoryCache::Clear() {
  pathOf_.clear();
  keyAt_.clear();
}

}  // namespace tavrek::engine
