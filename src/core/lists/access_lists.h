#pragma once
// The two access presentations as exportable lists, with the columns at the
// widths the window first gives them unless the caller passes the current ones.
#include <functional>

#include "core/lists/export_types.h"
#include "core/engine/statistics/access_overview.h"
#include "core/engine/statistics/access_tree.h"

namespace tavrek::lists {

inline constexpr int kAccessImageWidth = 30;
inline constexpr int kAccessNameWidth = 170;
inline constexpr int kAccessSlotWidth = 80;

// "", "Datei", then the eight access kinds.
ListColumns DefaultAccessOverviewColumns();
// "Datei", then the eight access kinds.
ListColumns DefaultAccessTreeColumns();

// The sources read the statistics, which must outlive them.
FlatListSource AccessOverviewList(const engine::AccessOverview& overview,
                                  ListColumns layout = DefaultAccessOverviewColumns());

// Without `isExpanded` every node counts as expanded (a console export);
// the window passes the state of its tree view.
TreeListSource AccessTreeList(const engine::AccessTree& tree,
                              std::function<bool(TreeNodeId node)> isExpanded = {},
                              ListColumns layout = DefaultAccessTreeColumns());

}  // namespace tavrek::lists
