#pragma once
// What the kernel's metadata events do not say: the status of a file (statx
// and extended attributes), so that two statuses of one path tell which kind
// of change happened between them.
#include <compare>
#include <cstdint>
#include <optional>
#include <string>

#include "core/engine/watch_options.h"

namespace tavrek::engine {

struct StatusTime {
  int64_t seconds = 0;
  uint32_t nanoseconds = 0;
  auto operator<=>(const StatusTime&) const = default;
};

// A bit per watcher kind.
using KindBits = uint8_t;
constexpr KindBits KindBit(WatcherKind kind) { return static_cast<KindBits>(1u << kind); }

// Parts of a status, a bit each: which parts a status holds, which a change
// may have touched.
using StatusParts = uint8_t;
inline constexpr StatusParts kPartSize = 1u << 0;
inline constexpr StatusParts kPartOwnership = 1u << 1;  // mode, owner, group
inline constexpr StatusParts kPartLinks = 1u << 2;
inline constexpr StatusParts kPartAccessTime = 1u << 3;
inline constexpr StatusParts kPartModifyTime = 1u << 4;
inline constexpr StatusParts kAllParts = 0x1f;

struct FileStatus {
  uint64_t inode = 0;
  uint32_t mode = 0;
  uint32_t uid = 0;
  uint32_t gid = 0;
  uint32_t linkCount = 0;
  uint64_t size = 0;
  StatusTime accessTime;
  StatusTime modifyTime;
  StatusTime birthTime;
  bool birthKnown = false;  // not every file system keeps a birth time
  // Order-independent hashes of extended attributes: security ones (ACLs,
  // security labels, capabilities) and all others (user attributes).
  uint64_t securityAttributes = 0;
  uint64_t otherAttributes = 0;
  bool attributesKnown = true;  // false when the extended attributes were not read
  // What the watch knows of the file beyond one read: the parts that hold
  // what the file had (the others were never read) ...
  StatusParts known = kAllParts;
  // ... the times that are still those of the file's birth, as a new file
  // starts: the clock is coarse, so a time set to "now" right after the
  // creation cannot be told from it; only one set before the birth counts ...
  StatusParts atBirth = 0;
  // ... and the parts a rule assumed for a new file instead of reading them.
  StatusParts assumed = 0;
  // A new file gone from its name before it could be read (renamed at once):
  // its owner and group come from the first read under its new name.
  bool ownerUnread = false;
};

// The status of `path` itself (links not followed); extended attributes only
// when asked. Nothing when the path cannot be examined (gone, unreadable).
std::optional<FileStatus> ReadFileStatus(const std::string& path, bool withAttributes);

// The same for `name` in the open folder `folder`, which is where `path` led
// (the path is only read when the kernel lacks the calls for extended
// attributes relative to a folder).
std::optional<FileStatus> ReadFileStatusAt(int folder, const char* name,
                                           const std::string& path, bool withAttributes);
// Whether the kernel has those calls, as far as known yet.
bool XattrCallsRelativeToFolder();

// The kinds a metadata change falls into, comparing the parts `before` knows
// with a status read after it: owner, group, mode or security attributes ->
// security; modification time -> write; access time -> access; link count or
// other attributes -> attributes. 0 when nothing differs.
KindBits StatusDifference(const FileStatus& before, const FileStatus& after);

// The same, counting a change as attributes when nothing tells (no status
// before or after, or no visible difference).
KindBits MetadataChangeKinds(const FileStatus* before, const FileStatus* after);

// What differs between a status recorded from the kernel's events and one
// read by a later scan of the folder: the parts of StatusDifference that were
// read rather than assumed, birth times compared like any other, and a
// changed size as size and write.
KindBits FoundDifference(const FileStatus& before, const FileStatus& after);

// Takes `parts` (and extended attributes, when read) of `read` into `recorded`
// as known.
void TakeParts(FileStatus& recorded, const FileStatus& read, StatusParts parts);

}  // namespace tavrek::engine
