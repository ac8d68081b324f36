#include "core/engine/backend/fanotify/fanotify_kernel.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

#include "core/engine/backend/fanotify/fanotify_abi.h"

namespace tavrek::engine {
namespace {

constexpr size_t kMaxHandleBytes = MAX_HANDLE_SZ;

// A struct file_handle with room for the largest handle behind it.
class HandleBuffer {
 public:
  HandleBuffer() : handle_(new (storage_) file_handle{}) {}
  HandleBuffer(const HandleBuffer&) = delete;
  HandleBuffer& operator=(const HandleBuffer&) = delete;
  file_handle& get() { return *handle_; }

 private:
  alignas(file_handle) unsigned char storage_[sizeof(file_handle) + kMaxHandleBytes]{};
  file_handle* handle_;
};

}  // namespace

FanotifyScopedFd& FanotifyScopedFd::operator=(FanotifyScopedFd&& other) noexcept {
  if (this != &other) Reset(std::exchange(other.fd_, -1));
  return *this;
}

void FanotifyScopedFd::Reset(int fd) {
  if (fd_ >= 0) close(fd_);
  fd_ = fd;
}

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

std::optional<FanotifyFolderIdentity> IdentifyFolder(const std::string& path) {
  HandleBuffer buffer;
  file_handle& handle = buffer.get();
  handle.handle_bytes = kMaxHandleBytes;
  int mountId = -1;
  if (name_to_handle_at(AT_FDCWD, path.c_str(), &handle, &mountId, 0) != 0) return std::nullopt;
  FanotifyFolderIdentity identity;
  identity.key = MakeFanotifyFileKey(handle.handle_type, {handle.f_handle, handle.handle_bytes});
  identity.mountId = mountId;
  return identity;
}

std::string MountRootOf(const std::string& path, int mountId) {
  std::string root = path;
  while (root != "/") {
    const size_t slash = root.rfind('/');
    std::string parent = slash == 0 ? "/" : root.substr(0, slash);
    std::optional<FanotifyFolderIdentity> above = IdentifyFolder(parent);
    if (!above || above->mountId != mountId) break;
    root = std::move(parent);
  }
  return root;
}

std::optional<FanotifyEntryNow> ProbeEntry(int directory, const std::string& name) {
  if (directory < 0 || name.empty() || name == ".") return std::nullopt;
  FanotifyEntryNow now;
  HandleBuffer buffer;
  file_handle& handle = buffer.get();
  handle.handle_bytes = kMaxHandleBytes;
  int mountId = -1;
  // The handle, when it can be had, also tells that the name is there.
  if (name_to_handle_at(directory, name.c_str(), &handle, &mountId, 0) == 0) {
    now.present = true;
    now.object = MakeFanotifyFileKey(handle.handle_type, {handle.f_handle, handle.handle_bytes});
    return now;
  }
  struct stat status {};
  if (fstatat(directory, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
    return errno == ENOENT ? std::optional(FanotifyEntryNow{}) : std::nullopt;
  }
  now.present = true;
  return now;
}

std::optional<uint64_t> FilesystemId(const std::string& path) {
  struct statfs status {};
  if (statfs(path.c_str(), &status) != 0) return std::nullopt;
  uint64_t id = 0;
  static_assert(sizeof(status.f_fsid) == sizeof(id));
  std::memcpy(&id, &status.f_fsid, sizeof(id));
  return id;
}

FanotifyScopedFd OpenFilesystemGroup(const std::string& folder, uint64_t mask) {
  FanotifyScopedFd group(fanotify_init(kFanotifyInitFlags, kFanotifyEventFlags));
  if (!group.valid()) return group;
  if (fanotify_mark(group.get(), FAN_MARK_ADD | FAN_MARK_FILESYSTEM, mask, AT_FDCWD,
                    folder.c_str()) != 0) {
    const int reason = errno;
    group.Reset();
    errno = reason;
    return group;
  }
  // Without it a program from there is named only while it lives.
  (void)fanotify_mark(group.get(), FAN_MARK_ADD | FAN_MARK_FILESYSTEM,
                      mask & kFanotifyProgramEvents, AT_FDCWD, "/");
  return group;
}

FanotifyScopedFd FanotifyHandleOpener::OpenDirectory(const FanotifyFileKey& key) {
  int32_t type = 0;
  std::span<const unsigned char> bytes;
  if (!SplitFanotifyFileKey(key, type, bytes) || bytes.size() > kMaxHandleBytes) return {};
  if (!mount_.valid()) {
    // Not O_PATH: open_by_handle_at refuses a mount descriptor opened so.
    mount_.Reset(open(mountPath_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!mount_.valid()) return {};
  }
  HandleBuffer buffer;
  file_handle& handle = buffer.get();
  handle.handle_bytes = static_cast<unsigned>(bytes.size());
  handle.handle_type = type;
  if (!bytes.empty()) std::memcpy(handle.f_handle, bytes.data(), bytes.size());
  FanotifyScopedFd directory(open_by_handle_at(mount_.get(), &handle, O_PATH | O_CLOEXEC));
  struct stat status {};
  if (!directory.valid() || fstat(directory.get(), &status) != 0 || !S_ISDIR(status.st_mode)) {
    return {};
  }
  return directory;
}

std::optional<std::string> FanotifyHandleOpener::DirectoryPath(const FanotifyFileKey& key) {
  FanotifyScopedFd directory = OpenDirectory(key);
  if (!directory.valid()) return std::nullopt;
  struct stat status {};
  // A deleted directory still opens while its inode lives; its link would read "... (deleted)".
  if (fstat(directory.get(), &status) != 0 || status.st_nlink == 0) return std::nullopt;
  std::optional<std::string> path = deep_.PathOf(directory.get());
  // Deleted between the two questions: the link now ends in " (deleted)".
  if (fstat(directory.get(), &status) != 0 || status.st_nlink == 0) return std::nullopt;
  if (!path) NoteUnnamed(key, directory.get());
  return path;
}

bool FanotifyHandleOpener::CountUnnamedBelow(const std::string& folder) {
  struct stat status {};
  if (stat(folder.c_str(), &status) != 0) return false;
  countBelow_.emplace(status.st_dev, status.st_ino);
  return true;
}

void FanotifyHandleOpener::NoteUnnamed(const FanotifyFileKey& key, int directory) {
  // Bounded: a directory met again after the table started afresh counts again.
  constexpr size_t kMaxUnnamed = 1024;
  if (!countBelow_ || unnamedSeen_.contains(key)) return;
  if (!deep_.IsBelow(directory, countBelow_->first, countBelow_->second)) return;
  if (unnamedSeen_.size() >= kMaxUnnamed) unnamedSeen_.clear();
  unnamedSeen_.insert(key);
  ++unnamed_;
}

std::optional<FanotifyEntry> FanotifyHandleOpener::ParentEntry(const FanotifyFileKey& key) {
  FanotifyScopedFd directory = OpenDirectory(key);
  if (!directory.valid()) return std::nullopt;
  const std::optional<std::string> path = FanotifyFdPath(directory.get());
  // Too deep for the kernel to name: its name is looked up in the parent.
  const bool deep = !path && errno == ENAMETOOLONG;
  if (!deep && (!path || !path->starts_with('/') || *path == "/")) return std::nullopt;
  FanotifyScopedFd parent(openat(directory.get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (!parent.valid()) return std::nullopt;
  HandleBuffer ownBuffer;
  HandleBuffer parentBuffer;
  file_handle& own = ownBuffer.get();
  file_handle& above = parentBuffer.get();
  own.handle_bytes = kMaxHandleBytes;
  above.handle_bytes = kMaxHandleBytes;
  int ownMount = -1;
  int parentMount = -1;
  if (name_to_handle_at(directory.get(), "", &own, &ownMount, AT_EMPTY_PATH) != 0 ||
      name_to_handle_at(parent.get(), "", &above, &parentMount, AT_EMPTY_PATH) != 0 ||
      ownMount != parentMount) {
    return std::nullopt;
  }
  std::optional<std::string> name = NameInParent(directory.get(), parent.get(), path);
  if (!name) return std::nullopt;
  return FanotifyEntry{MakeFanotifyFileKey(above.handle_type, {above.f_handle, above.handle_bytes}),
                       std::move(*name)};
}

std::optional<std::string> FanotifyHandleOpener::NameInParent(
    int directory, int parent, const std::optional<std::string>& path) {
  if (!path) {
    struct stat status {};
    if (fstat(directory, &status) != 0) return std::nullopt;
    return deep_.NameIn(parent, status);
  }
  // Moved between the questions: the name and the parent may not belong together.
  if (FanotifyFdPath(directory) != path) return std::nullopt;
  return path->substr(path->rfind('/') + 1);
}

}  // namespace tavrek::engine
