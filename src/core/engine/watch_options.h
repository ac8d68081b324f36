#pragma once
// The nine switches of a watch window and the seven watcher kinds they start.
#include <array>
#include <cstdint>

#include "core/engine/action.h"

namespace tavrek::engine {

// Notification filter flags of the watcher kinds (directory-change numbering).
inline constexpr uint32_t kMaskFileName = 0x001;
inline constexpr uint32_t kMaskDirName = 0x002;
inline constexpr uint32_t kMaskAttributes = 0x004;
inline constexpr uint32_t kMaskSize = 0x008;
inline constexpr uint32_t kMaskLastWrite = 0x010;
inline constexpr uint32_t kMaskLastAccess = 0x020;
inline constexpr uint32_t kMaskCreation = 0x040;
inline constexpr uint32_t kMaskSecurity = 0x100;

enum WatcherKind : uint8_t {
  kKindName = 0,
  kKindWrite = 1,
  kKindAccess = 2,
  kKindSize = 3,
  kKindAttributes = 4,
  kKindSecurity = 5,
  kKindCreation = 6,
};
inline constexpr int kKindCount = 7;

inline constexpr std::array<uint32_t, kKindCount> kKindMasks{
    kMaskFileName | kMaskDirName, kMaskLastWrite, kMaskLastAccess, kMaskSize,
    kMaskAttributes,              kMaskSecurity,  kMaskCreation};

using KindSet = std::array<bool, kKindCount>;

struct WatchOptions {
  int32_t rename = 1;
  int32_t write = 1;
  int32_t access = 1;
  int32_t size = 1;
  int32_t attributes = 1;
  int32_t security = 1;
  int32_t creation = 1;
  int32_t subtree = 1;
  int32_t remove = 1;  // the "delete" box; `delete` is a keyword

  bool operator==(const WatchOptions&) const = default;
};

// The kinds whose watchers a folder gets with these options.
KindSet KindsToStart(const WatchOptions& options);

// Number of checked change boxes (of eight): rename and delete count one each
// although they share the name watcher.
int OptionCount(const WatchOptions& options);

// Whether an event that passed the file filter goes into the change log:
// deletions need the delete box, renames the rename box.
bool MayLog(const WatchOptions& options, Action action);

}  // namespace tavrek::engine
