#include "core/engine/statistics/access_overview.h"

#include <functional>

namespace tavrek::engine {
AccessOverview::Update AccessOverview::Add(const engine::ChangeEvent& event) {
  const size_t slot = static_cast<size_t>(SlotOfAction(event.image()));
  const auto hashOf = [](std::string_view path) { return std::hash<std::string_view>{}(path); };
  const uint64_t hash = hashOf(event.path);
  uint32_t index =
      rowOfPath_.Find(hash, [&](uint32_t row) { return Path(row) == event.path; });
  const bool added = index == IdIndex::kNone;
  if (added) {
    index = static_cast<uint32_t>(rows_.size());
    Row& row = *rows_.emplace_back();
    row.path = texts_.Add(event.path);
    row.millisecondOfDay.fill(kNoTime);
    rowOfPath_.Insert(hash, index, [&](uint32_t at) { return hashOf(Path(at)); });
  }
  Row& row = rows_[index];
  row.millisecondOfDay[slot] = platform::MillisecondOfDay(event.time);
  row.image = static_cast<int8_t>(event.image());
  return {index, added};
}

void AccessOverview::Clear() {
  rows_.clear();
  rowOfPath_.Clear();
  texts_.Clear();
}

size_t AccessOverview::BytesReserved() const {
  return rows_.BytesReserved() + rowOfPath_.BytesReserved() + texts_.BytesReserved();
}

std::string AccessOverview::CellText(size_t row, int column) const {
  if (column == kOverviewColumnPath) return std::string(Path(row));
  if (column < kOverviewColumnFirstSlot || column >= kOverviewColumnCount) return {};
  const uint32_t time = rows_[row].millisecondOfDay[static_cast<size_t>(column - kOverviewColumnFirstSlot)];
  if (time == kNoTime) return {};
  return platform::FormatTimeText(platform::FromMillisecondOfDay(time));
}

}  // namespace tavrek::engine
