#pragma once
// The last status seen of every path that had an event, found by path in
// constant time and by inode for the other names of a hard-linked file.
//
// Paths are kept per folder: the folders in path order, so that a folder's
// whole subtree is one range when it is renamed or deleted, and the names in
// each folder in a flat hash table, so that looking up a file compares no
// long prefixes and a new name costs about one cache line.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "core/engine/flat_string_map.h"
#include "core/engine/folder_lookup_cache.h"
#include "core/engine/source/file_status.h"
#include "core/engine/source/inode_index.h"

namespace tavrek::engine {

class StatusStore {
 public:
  const FileStatus* Find(std::string_view path) const;
  // The same, to change in place; Set it again when its inode changes.
  FileStatus* FindMutable(std::string_view path) {
    return const_cast<FileStatus*>(std::as_const(*this).Find(path));
  }
  // Records the status of a path, replacing what it had.
  void Set(std::string_view path, const FileStatus& status);
  // Forgets a path, and with `withEntriesBelow` everything below it.
  void Erase(std::string_view path, bool withEntriesBelow);
  // Moves a path's status (and everything below it) to another path, which
  // loses what it had.
  void Move(std::string_view from, std::string_view to, bool withEntriesBelow);
  // Every recorded path of an inode with its status.
  void ForEachName(uint64_t inode,
                   const std::function<void(const std::string& path, FileStatus& status)>& visit);
  size_t size() const { return size_; }

 private:
  struct Entry {
    FileStatus status;
    const std::string* folder = nullptr;  // the key of the folder it is in
  };
  using Names = FlatStringMap<Entry>;
  using Node = Names::Node;
  // Node addresses never change, not even when a folder's key does: the
  // index and the entries point to them.
  using Folders = std::map<std::string, Names, std::less<>>;

  Folders::iterator FolderFor(std::string_view folder);
  Folders::iterator EraseFolder(Folders::iterator folder);
  // Erases the folder's entry alone (its names are dealt with).
  Folders::iterator EraseFolderEntry(Folders::iterator folder);
  void Unindex(Node* node);

  Folders folders_;
  mutable FolderLookupCache<Folders> folderCache_;
  InodeIndex byInode_;  // of Node*
  size_t size_ = 0;
};

}  // namespace tavrek::engine
