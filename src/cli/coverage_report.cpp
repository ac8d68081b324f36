#include "cli/coverage_report.h"

#include "core/engine/source/folder_coverage.h"

namespace tavrek::cli {

void CoverageReport::PrintChanges(const engine::WatchSession& session) {
  const auto& rows = session.folderRows();
  told_.resize(rows.size());
  for (size_t row = 0; row < rows.size(); ++row) {
    // Like the status row, said where polling is involved: there changes
    // arrive late, and how late is worth knowing.
    const engine::FolderCoverage coverage = session.CoverageOf(row);
    if (!coverage.polled()) continue;
    std::string text = engine::CoverageText(coverage);
    if (text == told_[row]) continue;
    std::fprintf(out_, "tavrek-watch: %s\t%s\n", text.c_str(), rows[row].path.c_str());
    std::fflush(out_);
    told_[row] = std::move(text);
  }
}

}  // namespace tavrek::cli
