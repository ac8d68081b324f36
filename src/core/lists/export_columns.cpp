#include "core/lists/export_columns.h"

#include <algorithm>

namespace tavrek::lists {
namespace {

bool IsWideEnough(const ListColumns& layout, int column) {
  return layout.columns[static_cast<size_t>(column)].width > kHiddenColumnWidth;
}

// Every index below `count` exactly once.
bool IsPermutation(const std::vector<int>& order, size_t count) {
  if (order.size() != count) return false;
  std::vector<bool> seen(count, false);
  for (int column : order) {
    if (column < 0 || static_cast<size_t>(column) >= count || seen[static_cast<size_t>(column)]) {
      return false;
    }
    seen[static_cast<size_t>(column)] = true;
  }
  return true;
}

}  // namespace

std::vector<int> DisplayOrder(const ListColumns& layout, size_t columnCount) {
  std::vector<int> order;
  // A view reports the order of all its columns; keep those that count.
  for (int column : layout.displayOrder) {
    if (column >= 0 && static_cast<size_t>(column) < columnCount) order.push_back(column);
  }
  if (IsPermutation(order, columnCount)) return order;
  order.resize(columnCount);
  for (size_t i = 0; i < columnCount; ++i) order[i] = static_cast<int>(i);
  return order;
}

std::vector<int> FlatExportColumns(const ListColumns& layout) {
  const std::vector<int> order = DisplayOrder(layout, layout.columns.size());
  std::vector<int> exported;
  auto position = std::find(order.begin(), order.end(), 0);
  for (; position != order.end(); ++position) {
    if (IsWideEnough(layout, *position)) exported.push_back(*position);
  }
  return exported;
}

std::vector<int> TreeExportColumns(const ListColumns& layout) {
  const size_t count = std::min(layout.columns.size(), kMaxTreeColumns);
  const std::vector<int> order = DisplayOrder(layout, count);
  std::vector<int> exported;
  for (size_t position = 0; position < order.size(); ++position) {
    if (position == 0 || IsWideEnough(layout, order[position])) exported.push_back(order[position]);
  }
  return exported;
}

}  // namespace tavrek::lists
