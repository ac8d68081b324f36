#pragma once
// Directory handle -> path, fed by the events themselves. The kernel can only
// tell where a directory is at the moment the event is read, and not at all
// once the directory is deleted; the cache keeps the path as the events so far
// describe it, and follows renames of directories (with everything below).
#include <cstddef>
#include <map>
#include <string>
#include <unordered_map>

#include "core/engine/backend/fanotify/fanotify_records.h"

namespace tavrek::engine {

class FanotifyDirectoryCache {
 public:
  // Beyond this many directories the cache starts afresh rather than grow
  // without bound on a busy file system.
  static constexpr size_t kDefaultCapacity = 65536;

  explicit FanotifyDirectoryCache(size_t capacity = kDefaultCapacity) : capacity_(capacity) {}

  // The cached path of the directory, or nullptr.
  const std::string* Find(const FanotifyFileKey& key) const;
  // The directory is at `path` now; whatever was cached at that path is not.
  void Learn(const FanotifyFileKey& key, const std::string& path);
  void Forget(const FanotifyFileKey& key);
  // Forgets the directory at `path` and everything cached below it.
  void ForgetTree(const std::string& path);
  // A directory moved: what was at `newPath` was replaced, and everything at
  // and below `oldPath` is now at and below `newPath`.
  void Moved(const std::string& oldPath, const std::string& newPath);
  void Clear();
  size_t size() const { return pathOf_.size(); }

 private:
  // Calls `visit(path)` for `path` and every cached path below it.
  template <typename Visit>
  void ForEachAtOrBelow(const std::string& path, Visit visit) const;

  size_t capacity_;
  std::unordered_map<FanotifyFileKey, std::string> pathOf_;
  std::map<std::string, FanotifyFileKey> keyAt_;  // ordered, so a subtree is one range
};

}  // namespace tavrek::engine
