#pragma once
// Export of a report-style list (the change log, the simple access overview):
// a header line of the column titles, then one line per row in the list's
// order, of the columns FlatExportColumns picks.
#include "core/lists/export_types.h"
#include "core/lists/sink.h"

namespace tavrek::lists {

// Rows are read one at a time and written in blocks, so the list is never
// held a second time. A cancelled or failed export leaves a partial output
// behind: write to an ExportFile to have none.
ExportResult WriteFlatList(const FlatListSource& list, ExportFormat format, Sink& sink,
                           const ExportProgress& progress = {});

}  // namespace tavrek::lists
