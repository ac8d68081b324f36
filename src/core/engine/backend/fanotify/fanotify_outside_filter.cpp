#include "core/engine/backend/fanotify/fanotify_outside_filter.h"

#include "core/engine/backend/fanotify/fanotify_abi.h"

namespace tavrek::engine {
namespace {

// A file's changes: they move no directory, so placing them changes nothing
// for the records after them. Anything else in the mask keeps the record.
constexpr uint64_t kFileChanges = FAN_CREATE | FAN_DELETE | FAN_MODIFY | FAN_ATTRIB | FAN_ACCESS;

bool MayMoveDirectories(uint64_t mask) {
  return (mask & FAN_Q_OVERFLOW) || ((mask & FAN_RENAME) && (mask & FAN_ONDIR));
}

}  // namespace

bool FanotifyPlacedInside(const std::string& path, const std::string& top) {
  // The folder itself is top less its last character.
  return path.starts_with(top) || (path.size() + 1 == top.size() && top.starts_with(path));
}

bool FanotifyOutsideFilter::MayPassOver(uint64_t mask) {
  if (MayMoveDirectories(mask)) suspended_ = true;
  return !suspended_ && !(mask & FAN_ONDIR) && (mask & ~kFileChanges) == 0;
}

bool FanotifyOutsideFilter::PassesOver(const FanotifyFileKey& directory) {
  const std::string* path = cache_.Find(directory);
  if (path == nullptr) return false;
  const bool inside = FanotifyPlacedInside(*path, top_);
  if (!inside) CountPassedOver(directory);
  return !inside;
}

void FanotifyOutsideFilter::CountPassedOver(const FanotifyFileKey& directory) {
  if (++windowCount_ > kBusyWindow) {
    passedOver_.clear();
    windowCount_ = 1;
  }
  if (++passedOver_[directory] == kBusyRecords) busy_.push_back(directory);
}

}  // namespace tavrek::engine
