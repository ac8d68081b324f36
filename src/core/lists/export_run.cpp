#include "core/lists/export_run.h"

namespace tavrek::lists {

bool KeepGoing(const ExportProgress& progress, size_t done, size_t total, const BufferedSink& out,
               ExportResult& result) {
  if (out.failed()) {
    result.status = ExportStatus::WriteFailed;
    return false;
  }
  const size_t interval = progress.interval == 0 ? 1 : progress.interval;
  if (progress.keepGoing && done % interval == 0 && !progress.keepGoing(done, total)) {
    result.status = ExportStatus::Cancelled;
    return false;
  }
  return true;
}

ExportResult Finished(BufferedSink& out, ExportResult result) {
  if (!out.Flush() && result.status == ExportStatus::Ok) result.status = ExportStatus::WriteFailed;
  return result;
}

}  // namespace tavrek::lists
