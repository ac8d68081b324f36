#pragma once
// Which columns an export writes, in the order the view shows them.
#include <vector>

#include "core/lists/export_types.h"

namespace tavrek::lists {

// A flat list writes the columns shown from the position of column 0 onwards
// (columns dragged in front of it are left out), each only when wider than
// kHiddenColumnWidth.
std::vector<int> FlatExportColumns(const ListColumns& layout);

// A tree list looks at its first kMaxTreeColumns columns; the first one shown
// is always written, the others only when wider than kHiddenColumnWidth.
std::vector<int> TreeExportColumns(const ListColumns& layout);

// The column indices by display position; a broken or missing order falls
// back to index order.
std::vector<int> DisplayOrder(const ListColumns& layout, size_t columnCount);

}  // namespace tavrek::lists
