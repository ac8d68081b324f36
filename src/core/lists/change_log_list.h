#pragma once
// The change log as an exportable list: newest row first, as the window shows
// it, with the columns at their first widths unless the caller gives others.
#include <vector>

#include "core/engine/change_log.h"
#include "core/lists/export_types.h"

namespace tavrek::lists {

ListColumns DefaultChangeLogColumns();

// The log must outlive the returned source.
FlatListSource ChangeLogList(const engine::ChangeLog& log,
                             ListColumns layout = DefaultChangeLogColumns());

}  // namespace tavrek::lists
