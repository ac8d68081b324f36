#pragma once
// Reads statuses relative to their folder. A status read by its whole path
// walks every folder above the file, and reading the extended attributes as
// well walks them twice; a burst of new files lands in a few folders, so their
// folders are kept open (O_PATH, a bounded number) and each read walks one
// name.
//
// An open folder stays the same folder when it is renamed or deleted, while a
// path then names another one or none: the owner tells every folder rename,
// deletion and arrival (Forget), and a read of a file whose folder is not
// open reads it by its path, as before.
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "core/engine/folder_lookup_cache.h"
#include "core/engine/source/file_status.h"

namespace tavrek::engine {

class FolderStatusReader {
 public:
  // Beyond this many folders the open ones are closed and it starts afresh
  // (a burst spread over more folders costs what reading by path did).
  static constexpr size_t kDefaultCapacity = 128;

  explicit FolderStatusReader(size_t capacity = kDefaultCapacity) : capacity_(capacity) {}
  ~FolderStatusReader() { Clear(); }
  FolderStatusReader(const FolderStatusReader&) = delete;
  FolderStatusReader& operator=(const FolderStatusReader&) = delete;
  FolderStatusReader(FolderStatusReader&& other) noexcept
      : capacity_(other.capacity_), open_(std::exchange(other.open_, {})) {
    other.cache_.Clear();
  }
  FolderStatusReader& operator=(FolderStatusReader&& other) noexcept {
    if (this == &other) return *this;
    Clear();
    capacity_ = other.capacity_;
    open_ = std::exchange(other.open_, {});
    other.cache_.Clear();
    return *this;
  }

  // As ReadFileStatus. A folder is opened for a read with extended
  // attributes (two walks saved); a read without them uses it when it is
  // open already (opening it would cost what it saves).
  std::optional<FileStatus> Read(const std::string& path, bool withAttributes);
  // The folder at `path`, and every folder below it, is another one or none
  // from now on.
  void Forget(std::string_view path);
  void Clear();
  size_t size() const { return open_.size(); }

 private:
  // The open folder `folder`, opened when `open` is set; -1 when it is not.
  int FolderFd(std::string_view folder, bool open);

  using OpenFolders = std::map<std::string, int, std::less<>>;
  // Erases the entry, closing its folder.
  OpenFolders::iterator Close(OpenFolders::iterator folder);

  size_t capacity_;
  OpenFolders open_;  // ordered: a subtree is one range
  FolderLookupCache<OpenFolders> cache_;
};

}  // namespace tavrek::engine
