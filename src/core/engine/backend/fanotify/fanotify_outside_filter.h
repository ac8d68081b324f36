#pragma once
// Passes over the records of changes outside the watched folder before they
// are taken apart. The mark sees the whole file system, so on a busy disk most
// records are about other folders: a file's change in a directory the cache
// already places outside the folder costs one look-up and nothing more.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/engine/backend/fanotify/fanotify_abi.h"
#include "core/engine/backend/fanotify/fanotify_handle_cache.h"
#include "core/engine/backend/fanotify/fanotify_records.h"

namespace tavrek::engine {

// Whether a directory at `path` (as the cache names it, without a trailing
// "/") is the folder whose real path is `top` (ending in "/") or lies in it.
bool FanotifyPlacedInside(const std::string& path, const std::string& top);

class FanotifyOutsideFilter final : public FanotifyRecordFilter {
 public:
  // `top` is the folder's real path ending in "/"; `cache` places directories
  // as the records decoded so far describe them.
  FanotifyOutsideFilter(const FanotifyDirectoryCache& cache, std::string top)
      : cache_(cache), top_(std::move(top)) {}

  bool MayPassOver(uint64_t mask) override;
  bool PassesOver(const FanotifyFileKey& directory) override;
  // A file's content or attributes changed with no directory named: the
  // kernel's note that a file lost a link. It cannot be placed, and the
  // deletion that comes with it names the folder.
  bool PassesOverUnplaced(uint64_t mask) override { return (mask & ~kUnplacedChanges) == 0; }
  // The records read so far are decoded: the cache describes the file system
  // as they leave it. `moveWaits`: a directory's move among them waits still.
  void Decoded(bool moveWaits) { suspended_ = moveWaits; }
  // Directories outside the folder that many of the records passed over came
  // from since the last call: busy enough that the kernel should drop their
  // files' changes before they are queued at all.
  std::vector<FanotifyFileKey> TakeBusy() { return std::move(busy_); }

  // A directory counts as busy once this many of the last kBusyWindow records
  // passed over came from it.
  static constexpr uint32_t kBusyRecords = 64;
  static constexpr uint64_t kUnplacedChanges = FAN_ACCESS | FAN_MODIFY | FAN_ATTRIB;
  static constexpr uint32_t kBusyWindow = 65536;

 private:
  const FanotifyDirectoryCache& cache_;
  std::string top_;
  // A directory moved (or records lost) among the records read but not yet
  // decoded: where a directory is may have changed, so nothing is passed over
  // until they are decoded.
  bool suspended_ = false;
  void CountPassedOver(const FanotifyFileKey& directory);
  std::unordered_map<FanotifyFileKey, uint32_t> passedOver_;
  uint32_t windowCount_ = 0;
  std::vector<FanotifyFileKey> busy_;
};

}  // namespace tavrek::engine
