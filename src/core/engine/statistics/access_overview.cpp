#include "core/engine/statistics/access_overview.h"

namespace tavrek::engine {
AccessOverview::Update AccessOverview::Add(const engine::ChangeEvent& event) {
  const size_t slot = static_cast<size_t>(SlotOfAction(event.actionCode));
  auto found = rowOfPath_.find(event.path);
  size_t index;
  bool added = found == rowOfPath_.end();
  if (added) {
    index = rows_.size();
    Row& row = rows_.emplace_back();
    row.path = texts_.Add(event.path);
    row.millisecondOfDay.fill(kNoTime);
    rowOfPath_.emplace(texts_.View(row.path), static_cast<uint32_t>(index + 1));
  } else {
    index = found->second - 1;
  }
  Row& row = rows_[index];
  row.millisecondOfDay[slot] = platform::MillisecondOfDay(event.time);
  row.image = static_cast<int8_t>(event.actionCode);
  return {index, added};
}

void AccessOverview::Clear() {
  std::vector<Row>().swap(rows_);
  decltype(rowOfPath_)().swap(rowOfPath_);  // clear() would keep the bucket table
  texts_.Clear();
}

size_t AccessOverview::BytesReserved() const {
  return rows_.capacity() * sizeof(Row) + rowOfPath_.bucket_count() * sizeof(void*) +
         texts_.BytesReserved();
}

std::string AccessOverview::CellText(size_t row, int column) const {
  if (column == kOverviewColumnPath) return std::string(Path(row));
  if (column < kOverviewColumnFirstSlot || column >= kOverviewColumnCount) return {};
  const uint32_t time = rows_[row].millisecondOfDay[static_cast<size_t>(column - kOverviewColumnFirstSlot)];
  if (time == kNoTime) return {};
  return platform::FormatTimeText(platform::FromMillisecondOfDay(time));
}

}  // namespace tavrek::engine
