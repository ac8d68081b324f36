#pragma once
// What the kernel's metadata events do not say: the status of a file (statx
// and extended attributes), so that two statuses of one path tell which kind
// of change happened between them.
#include <cstdint>
#include <optional>
#include <string>

#include "core/engine/watch_options.h"

namespace tavrek::engine {

struct StatusTime {
  int64_t seconds = 0;
  uint32_t nanoseconds = 0;
  bool operator==(const StatusTime&) const = default;
};

struct FileStatus {
  uint64_t inode = 0;
  uint32_t mode = 0;
  uint32_t uid = 0;
  uint32_t gid = 0;
  uint32_t linkCount = 0;
  uint64_t size = 0;
  StatusTime accessTime;
  StatusTime modifyTime;
  // Order-independent hashes of extended attributes: security ones (ACLs,
  // security labels, capabilities) and all others (user attributes).
  uint64_t securityAttributes = 0;
  uint64_t otherAttributes = 0;
  bool sizeKnown = true;
  bool attributesKnown = true;  // false when the extended attributes were not read
};

// The status of `path` itself (links not followed); extended attributes only
// when asked. Nothing when the path cannot be examined (gone, unreadable).
std::optional<FileStatus> ReadFileStatus(const std::string& path, bool withAttributes);

// A bit per watcher kind.
using KindBits = uint8_t;
constexpr KindBits KindBit(WatcherKind kind) { return static_cast<KindBits>(1u << kind); }

// The kinds a metadata change falls into, from the statuses before and after:
// owner, group, mode or security attributes -> security; modification time ->
// write; access time -> access; link count or other attributes ->
// attributes. When nothing tells (no status before or after, or no visible
// difference) the change counts as attributes.
KindBits MetadataChangeKinds(const FileStatus* before, const FileStatus* after);

}  // namespace tavrek::engine
