#pragma once
// The simple access overview: one row per distinct full path, in the order of
// first appearance, holding per access kind the time of the latest change.
// A row costs 48 bytes, its path's text and a slot of the path index.
#include <array>
#include <string>
#include <string_view>

#include "core/engine/change_event.h"
#include "core/engine/chunked_vector.h"
#include "core/engine/text_arena.h"
#include "core/engine/statistics/access_slots.h"
#include "core/engine/statistics/id_index.h"

namespace tavrek::engine {

enum OverviewColumn : int {
  kOverviewColumnImage = 0,
  kOverviewColumnPath = 1,
  kOverviewColumnFirstSlot = 2,
  kOverviewColumnCount = kOverviewColumnFirstSlot + kSlotCount,
};

class AccessOverview {
 public:
  struct Update {
    size_t row;
    bool added;
  };
  Update Add(const engine::ChangeEvent& event);
  void Clear();

  size_t size() const { return rows_.size(); }
  std::string CellText(size_t row, int column) const;
  int Image(size_t row) const { return rows_[row].image; }
  std::string_view Path(size_t row) const { return texts_.View(rows_[row].path); }
  // Memory held, for checking that a reset gives it back.
  size_t BytesReserved() const;

 private:
  static constexpr uint32_t kNoTime = 0xFFFFFFFF;
  struct Row {
    engine::TextRef path;
    std::array<uint32_t, kSlotCount> millisecondOfDay;
    int8_t image = 0;
  };
  engine::ChunkedVector<Row> rows_;
  engine::TextArena texts_;
  // Full path -> row (the access row map).
  IdIndex rowOfPath_;
};

}  // namespace tavrek::engine
