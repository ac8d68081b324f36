#include "core/engine/backend/inotify/scan_echoes.h"

#include <algorithm>

namespace tavrek::engine {

const std::string& ScanEchoes::Key(Tag tag, int32_t wd, std::string_view name) {
  key_.clear();
  key_ += static_cast<char>(tag);
  key_ += std::to_string(wd);
  key_ += '/';
  key_ += name;
  return key_;
}

bool ScanEchoes::TakeCreated(int32_t wd, std::string_view name) {
  if (keys_.empty()) return false;
  return keys_.erase(Key(kCreated, wd, name)) > 0;
}

bool ScanEchoes::TakeDeleted(int32_t wd, std::string_view name) {
  if (keys_.empty()) return false;
  return keys_.erase(Key(kDeleted, wd, name)) > 0;
}

bool ScanEchoes::TakeSkipped(int32_t wd, std::string_view name) {
  if (keys_.empty()) return false;
  return keys_.erase(Key(kSkipped, wd, name)) > 0;
}

bool ScanEchoes::IsOwnRead(int32_t wd, std::string_view name) {
  if (keys_.empty()) return false;
  return keys_.contains(Key(kOwnRead, wd, name));
}

std::optional<ScanEchoes::Place> ScanEchoes::TakeMet(int32_t wd) {
  if (met_.empty()) return std::nullopt;
  auto found = met_.find(wd);
  if (found == met_.end()) return std::nullopt;
  Place place = std::move(found->second);
  met_.erase(found);
  return place;
}

bool ScanEchoes::TakeMissedArrival(int32_t wd, std::string_view name) {
  auto found = std::find_if(missed_.begin(), missed_.end(), [&](const MissedDirectory& missed) {
    return missed.arrival && missed.parentWatch == wd && missed.name == name;
  });
  if (found == missed_.end()) return false;
  missed_.erase(found);
  return true;
}

void ScanEchoes::NoteFound(int32_t wd, std::string_view name) {
  if (missed_.empty()) return;
  std::erase_if(missed_, [&](const MissedDirectory& missed) {
    return missed.parentWatch == wd && missed.name == name;
  });
}

bool ScanEchoes::IsMissed(int32_t wd, std::string_view name) const {
  return std::any_of(missed_.begin(), missed_.end(), [&](const MissedDirectory& missed) {
    return missed.parentWatch == wd && missed.name == name;
  });
}

void ScanEchoes::Forget(int32_t wd, std::string_view name) {
  if (keys_.empty()) return;
  keys_.erase(Key(kCreated, wd, name));
}

}  // namespace tavrek::engine
