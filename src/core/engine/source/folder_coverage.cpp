#include "core/engine/source/folder_coverage.h"

#include "core/engine/backend/poll/poll_interval.h"
#include "core/engine/source/status_notes.h"

namespace tavrek::engine {
namespace {

constexpr std::string_view kCoverageStart = "Überwachung: ";

std::string PolledText(const FolderCoverage& coverage) {
  return GroupedNumber(coverage.polledFolders) + " abgefragt alle " +
         PollSecondsText(coverage.pollInterval) + " s";
}

}  // namespace

std::string CoverageText(const FolderCoverage& coverage) {
  std::string text(kCoverageStart);
  switch (coverage.backend) {
    case BackendType::Automatic: return {};
    case BackendType::Fanotify:
    case BackendType::Capture: return text + "per fanotify";
    case BackendType::Poll:
      return text + GroupedNumber(coverage.polledFolders) + " Ordner abgefragt alle " +
             PollSecondsText(coverage.pollInterval) + " s";
    case BackendType::Inotify: break;
  }
  text += GroupedNumber(coverage.kernelFolders) + " Ordner per inotify";
  if (coverage.polled()) text += ", " + PolledText(coverage);
  return text;
}

CoverageLook LookOf(const FolderCoverage& coverage) {
  if (!coverage.known()) return CoverageLook::kUnknown;
  if (coverage.backend == BackendType::Poll) return CoverageLook::kPolled;
  return coverage.polled() ? CoverageLook::kPartlyPolled : CoverageLook::kKernel;
}

}  // namespace tavrek::engine
