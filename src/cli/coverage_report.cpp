#include "cli/coverage_report.h"

#include "core/engine/source/folder_coverage.h"

namespace tavrek::cli {

void CoverageReport::PrintChanges(const engine::WatchSession& session) {
  const auto& rows = session.folderRows();
  told_.resize(rows.size());
  for (size_t row = 0; row < rows.size(); ++row) {
    std::string text = engine::CoverageText(session.CoverageOf(row));
    if (text.empty() || text == told_[row]) continue;
    std::fprintf(out_, "tavrek-watch: %s\t%s\n", text.c_str(), rows[row].path.c_str());
    std::fflush(out_);
    told_[row] = std::move(text);
  }
}

}  // namespace tavrek::cli
