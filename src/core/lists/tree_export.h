#pragma once
// Export of a tree list: its text rendering (tree_text.h), line by line,
// cut into fields at the TABs and written in the order the columns are shown.
#include "core/lists/export_types.h"
#include "core/lists/sink.h"

namespace tavrek::lists {

// Lines are rendered and written one at a time; the progress callback gets 0
// as the total, which is not known in advance.
ExportResult WriteTreeList(const TreeListSource& tree, ExportFormat format, Sink& sink,
                           const ExportProgress& progress = {});

}  // namespace tavrek::lists
