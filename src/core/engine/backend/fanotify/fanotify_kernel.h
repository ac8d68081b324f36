#pragma once
// The system calls around fanotify: descriptors that close themselves, the
// identity of a folder, and the way back from a directory handle to a path.
#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_set>
#include <utility>

#include "core/engine/backend/fanotify/fanotify_deep_path.h"
#include "core/engine/backend/fanotify/fanotify_name_ledger.h"
#include "core/engine/backend/fanotify/fanotify_records.h"

namespace tavrek::engine {

// Owns one descriptor; closes it when it goes.
class FanotifyScopedFd {
 public:
  FanotifyScopedFd() = default;
  explicit FanotifyScopedFd(int fd) : fd_(fd) {}
  FanotifyScopedFd(FanotifyScopedFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  FanotifyScopedFd& operator=(FanotifyScopedFd&& other) noexcept;
  FanotifyScopedFd(const FanotifyScopedFd&) = delete;
  FanotifyScopedFd& operator=(const FanotifyScopedFd&) = delete;
  ~FanotifyScopedFd() { Reset(); }

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  void Reset(int fd = -1);

 private:
  int fd_ = -1;
};

// Which object a path names and on which mount, as name_to_handle_at tells.
struct FanotifyFolderIdentity {
  FanotifyFileKey key;
  int mountId = -1;
  bool operator==(const FanotifyFolderIdentity&) const = default;
};

// The identity of the folder at `path` (links followed); nothing, with errno
// set, when the path cannot be named by a handle.
std::optional<FanotifyFolderIdentity> IdentifyFolder(const std::string& path);

// The top folder of the mount that holds `path` (as seen from the path up):
// it stays where it is while mounted, unlike the folders below it.
std::string MountRootOf(const std::string& path, int mountId);

// The id the kernel's records give the file system that holds `path`, as
// statfs tells it; nothing when it cannot be told.
std::optional<uint64_t> FilesystemId(const std::string& path);

// A new fanotify group with a mark for `mask` on the whole file system that
// holds `folder`; invalid, with errno set, when that is refused. Programs
// mostly start from the root file system: where that is another one, the
// group is told of the programs started there too, when the kernel lets it.
FanotifyScopedFd OpenFilesystemGroup(const std::string& folder, uint64_t mask);

// What `name` in the open directory holds now (a link at the end not
// followed); nothing when it cannot be told.
std::optional<FanotifyEntryNow> ProbeEntry(int directory, const std::string& name);

// The text of errno for messages: "what: reason".
std::string SystemError(const std::string& what);

// Finds directories by handle through the mount at `mountPath`. The mount is
// opened only while needed (Release closes it), so a watch never keeps its
// file system from being unmounted.
class FanotifyHandleOpener {
 public:
  explicit FanotifyHandleOpener(std::string mountPath,
                                size_t maxClimb = FanotifyDeepPaths::kMaxClimb)
      : mountPath_(std::move(mountPath)), deep_(maxClimb) {}

  // The directory's path now, without a trailing "/", however long; nothing
  // when the handle is stale or names a deleted directory or no directory.
  std::optional<std::string> DirectoryPath(const FanotifyFileKey& key);
  // The directory's parent (by handle) and its name there now; nothing at the
  // top of the mount, for a deleted directory, or when it moved while asked.
  std::optional<FanotifyEntry> ParentEntry(const FanotifyFileKey& key);
  // The directory itself, opened for looking up names in it (O_PATH); invalid
  // when the handle is stale or names no directory.
  FanotifyScopedFd OpenDirectory(const FanotifyFileKey& key);
  void Release() { mount_.Reset(); }

  // Counts the directories below `folder` that are there but whose path
  // cannot be told (see TakeUnnamed): a change in one cannot be placed.
  bool CountUnnamedBelow(const std::string& folder);
  // How many such directories were met since the last call, each once.
  uint32_t TakeUnnamed() { return std::exchange(unnamed_, 0); }

 private:
  // The directory's name in `parent`: from its `path` when the kernel told
  // one, else looked up by its inode.
  std::optional<std::string> NameInParent(int directory, int parent,
                                          const std::optional<std::string>& path);

  void NoteUnnamed(const FanotifyFileKey& key, int directory);

  std::string mountPath_;
  FanotifyScopedFd mount_;
  FanotifyDeepPaths deep_;
  std::optional<std::pair<dev_t, ino_t>> countBelow_;
  std::unordered_set<FanotifyFileKey> unnamedSeen_;
  uint32_t unnamed_ = 0;
};

}  // namespace tavrek::engine
