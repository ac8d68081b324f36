#include "core/engine/source/file_status.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string_view>
#include <vector>

#include "core/platform/reachable_path.h"

namespace tavrek::engine {
namespace {

constexpr uint64_t kFnvOffset = 0xcbf29ce484222325ULL;
constexpr uint64_t kFnvPrime = 0x100000001b3ULL;

uint64_t Fnv(std::string_view bytes, uint64_t hash = kFnvOffset) {
  for (char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= kFnvPrime;
  }
  return hash;
}

// ACLs live in "system." ("system.posix_acl_access", "system.posix_acl_default"
// and the NFS ones), labels and capabilities in "security.".
bool IsSecurityAttribute(std::string_view name) {
  return name.starts_with("security.") || name.starts_with("system.");
}

// The extended attributes of `name` in the folder `folder` (AT_FDCWD: `name`
// is a path), links not followed. Relative to a folder they are read by the
// calls that take one (Linux 6.13 and later), which walk no path.
#if defined(SYS_listxattrat) && defined(SYS_getxattrat)
constexpr long kListXattrAt = SYS_listxattrat;
constexpr long kGetXattrAt = SYS_getxattrat;
#elif defined(__x86_64__) || defined(__i386__) || defined(__aarch64__) || defined(__arm__) || \
    defined(__riscv) || defined(__powerpc__) || defined(__s390__) || defined(__loongarch__)
// Not yet in the headers; the numbers new calls have on these architectures.
constexpr long kListXattrAt = 465;
constexpr long kGetXattrAt = 464;
#else
constexpr long kListXattrAt = -1;  // not known here: by path only
constexpr long kGetXattrAt = -1;
#endif
std::atomic<bool> xattrAtMissing{kListXattrAt < 0};

struct XattrArgs {  // the kernel's struct xattr_args
  alignas(8) uint64_t value;
  uint32_t size;
  uint32_t flags;
};

ssize_t ListAt(int folder, const char* name, char* list, size_t size) {
  if (folder == AT_FDCWD) return llistxattr(name, list, size);
  return syscall(kListXattrAt, folder, name, AT_SYMLINK_NOFOLLOW, list, size);
}

ssize_t GetAt(int folder, const char* name, const char* attribute, char* value, size_t size) {
  if (folder == AT_FDCWD) return lgetxattr(name, attribute, value, size);
  XattrArgs args{reinterpret_cast<uintptr_t>(value), static_cast<uint32_t>(size), 0};
  return syscall(kGetXattrAt, folder, name, AT_SYMLINK_NOFOLLOW, attribute, &args, sizeof args);
}

// The value of one attribute, empty when it vanished meanwhile.
std::string_view ReadAttribute(int folder, const char* path, const char* name,
                               std::vector<char>& value) {
  for (;;) {
    const ssize_t size = GetAt(folder, path, name, nullptr, 0);
    if (size <= 0) return {};
    value.resize(static_cast<size_t>(size));
    const ssize_t read = GetAt(folder, path, name, value.data(), value.size());
    if (read >= 0) return std::string_view(value.data(), static_cast<size_t>(read));
    if (errno != ERANGE) return {};  // otherwise it grew meanwhile: ask again
  }
}

enum class Listed { kYes, kNo, kNoCall };

Listed ListAttributes(int folder, const char* path, std::vector<char>& names) {
  for (;;) {
    const ssize_t size = ListAt(folder, path, nullptr, 0);
    // A sandbox may refuse a call it does not know with EPERM.
    if (size < 0 && folder != AT_FDCWD && (errno == ENOSYS || errno == EPERM)) {
      return Listed::kNoCall;
    }
    // ENOTSUP: no attributes on this file system.
    if (size < 0) return errno == ENOTSUP ? Listed::kYes : Listed::kNo;
    names.resize(static_cast<size_t>(size));
    if (size == 0) return Listed::kYes;
    const ssize_t read = ListAt(folder, path, names.data(), names.size());
    if (read >= 0) {
      names.resize(static_cast<size_t>(read));
      return Listed::kYes;
    }
    if (errno != ERANGE) return Listed::kNo;
  }
}

// False when the kernel lacks the calls that read them relative to a folder.
bool ReadAttributeHashes(int folder, const char* path, FileStatus& status) {
  std::vector<char> names;
  const Listed listed = ListAttributes(folder, path, names);
  if (listed == Listed::kNoCall) return false;
  if (listed == Listed::kNo) {
    status.attributesKnown = false;
    return true;
  }
  std::vector<char> value;
  for (size_t start = 0; start < names.size();) {
    const char* name = names.data() + start;
    const std::string_view nameText(name);
    start += nameText.size() + 1;
    // Summed so that the order the file system lists them in does not count.
    const uint64_t hash = Fnv(ReadAttribute(folder, path, name, value), Fnv(nameText));
    (IsSecurityAttribute(nameText) ? status.securityAttributes : status.otherAttributes) += hash;
  }
  return true;
}

StatusTime ToTime(const statx_timestamp& time) { return {time.tv_sec, time.tv_nsec}; }

std::optional<FileStatus> StatusOf(int folder, const char* name) {
  struct statx kernel;
  if (statx(folder, name, AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &kernel) != 0) {
    return std::nullopt;
  }
  FileStatus status;
  status.inode = kernel.stx_ino;
  status.mode = kernel.stx_mode;
  status.uid = kernel.stx_uid;
  status.gid = kernel.stx_gid;
  status.linkCount = kernel.stx_nlink;
  status.size = kernel.stx_size;
  status.accessTime = ToTime(kernel.stx_atime);
  status.modifyTime = ToTime(kernel.stx_mtime);
  status.birthKnown = (kernel.stx_mask & STATX_BTIME) != 0;
  if (status.birthKnown) status.birthTime = ToTime(kernel.stx_btime);
  status.attributesKnown = false;
  return status;
}

}  // namespace

std::optional<FileStatus> ReadFileStatus(const std::string& path, bool withAttributes) {
  // A file deep in a tree is examined like any other.
  const platform::ReachablePath reachable(path);
  std::optional<FileStatus> status = StatusOf(AT_FDCWD, reachable.c_str());
  if (status && withAttributes) {
    status->attributesKnown = true;
    ReadAttributeHashes(AT_FDCWD, reachable.c_str(), *status);
  }
  return status;
}

bool XattrCallsRelativeToFolder() { return !xattrAtMissing.load(std::memory_order_relaxed); }

std::optional<FileStatus> ReadFileStatusAt(int folder, const char* name,
                                           const std::string& path, bool withAttributes) {
  std::optional<FileStatus> status = StatusOf(folder, name);
  if (!status || !withAttributes) return status;
  status->attributesKnown = true;
  if (XattrCallsRelativeToFolder() && ReadAttributeHashes(folder, name, *status)) return status;
  // Without those calls (an older kernel, a sandbox) the attributes are read
  // by the whole path, from now on.
  xattrAtMissing.store(true, std::memory_order_relaxed);
  const platform::ReachablePath reachable(path);
  ReadAttributeHashes(AT_FDCWD, reachable.c_str(), *status);
  return status;
}

namespace {

bool Knows(const FileStatus& status, StatusParts part) { return (status.known & part) != 0; }

// A time at birth changes only when set before the birth (see FileStatus).
bool TimeChanged(const FileStatus& before, StatusParts part, const StatusTime& was,
                 const StatusTime& now) {
  if (!Knows(before, part)) return false;
  return (before.atBirth & part) ? now < was : now != was;
}

bool OwnershipChanged(const FileStatus& before, const FileStatus& after) {
  if (!Knows(before, kPartOwnership)) return false;
  if (before.mode != after.mode) return true;
  return !before.ownerUnread && (before.uid != after.uid || before.gid != after.gid);
}

bool AttributesComparable(const FileStatus& before, const FileStatus& after) {
  return before.attributesKnown && after.attributesKnown;
}

}  // namespace

KindBits StatusDifference(const FileStatus& before, const FileStatus& after) {
  const bool attributes = AttributesComparable(before, after);
  KindBits kinds = 0;
  if (OwnershipChanged(before, after) ||
      (attributes && before.securityAttributes != after.securityAttributes)) {
    kinds |= KindBit(kKindSecurity);
  }
  if (TimeChanged(before, kPartModifyTime, before.modifyTime, after.modifyTime)) {
    kinds |= KindBit(kKindWrite);
  }
  if (TimeChanged(before, kPartAccessTime, before.accessTime, after.accessTime)) {
    kinds |= KindBit(kKindAccess);
  }
  if ((Knows(before, kPartLinks) && before.linkCount != after.linkCount) ||
      (attributes && before.otherAttributes != after.otherAttributes)) {
    kinds |= KindBit(kKindAttributes);
  }
  return kinds;
}

KindBits MetadataChangeKinds(const FileStatus* before, const FileStatus* after) {
  const KindBits kinds = before && after ? StatusDifference(*before, *after) : 0;
  return kinds == 0 ? KindBit(kKindAttributes) : kinds;
}

KindBits FoundDifference(const FileStatus& before, const FileStatus& after) {
  FileStatus read = before;
  read.known &= ~read.assumed;
  read.atBirth = 0;
  KindBits kinds = StatusDifference(read, after);
  if (Knows(read, kPartSize) && read.size != after.size) {
    kinds |= KindBit(kKindSize) | KindBit(kKindWrite);
  }
  return kinds;
}

void TakeParts(FileStatus& recorded, const FileStatus& read, StatusParts parts) {
  if (recorded.inode != 0 && recorded.inode != read.inode) {
    // Another file under the name: nothing recorded of the old one holds.
    recorded = read;
    recorded.known = 0;
  }
  if (recorded.ownerUnread) {
    // The first read of a new file that was never read before.
    recorded.inode = read.inode;
    recorded.uid = read.uid;
    recorded.gid = read.gid;
    recorded.ownerUnread = false;
  }
  if (parts & kPartSize) recorded.size = read.size;
  if (parts & kPartOwnership) {
    recorded.mode = read.mode;
    recorded.uid = read.uid;
    recorded.gid = read.gid;
  }
  if (parts & kPartLinks) recorded.linkCount = read.linkCount;
  if (parts & kPartAccessTime) recorded.accessTime = read.accessTime;
  if (parts & kPartModifyTime) recorded.modifyTime = read.modifyTime;
  if (read.attributesKnown) {
    recorded.securityAttributes = read.securityAttributes;
    recorded.otherAttributes = read.otherAttributes;
    recorded.attributesKnown = true;
  }
  recorded.birthTime = read.birthTime;
  recorded.birthKnown = read.birthKnown;
  recorded.known |= parts;
  recorded.atBirth &= ~parts;
  recorded.assumed &= ~parts;
}

}  // namespace tavrek::engine
