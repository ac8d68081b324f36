#pragma once
// What makes a file itself whatever its names: its device and inode, as a key
// for hash tables.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <functional>

namespace tavrek::platform {

struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};

struct FileIdentityHash {
  size_t operator()(const FileIdentity& identity) const {
    constexpr uint64_t kMix = 31;
    return std::hash<uint64_t>()(static_cast<uint64_t>(identity.inode) * kMix + identity.device);
  }
};

}  // namespace tavrek::platform
