#pragma once
// The steps every export loop shares: stop on a failed write, ask the
// progress callback now and then, flush at the end.
#include "core/lists/export_types.h"
#include "core/lists/sink.h"

namespace tavrek::lists {

// False, with the reason in `result`, when the export must stop before the
// row `done`.
bool KeepGoing(const ExportProgress& progress, size_t done, size_t total, const BufferedSink& out,
               ExportResult& result);

// Flushes and sets a failed write in the result.
ExportResult Finished(BufferedSink& out, ExportResult result);

}  // namespace tavrek::lists
