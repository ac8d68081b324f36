#pragma once
// How a watched folder is watched: by the kernel, by polling, or its
// directories partly one way and partly the other.
#include <chrono>
#include <cstdint>
#include <string>

#include "core/engine/backend_type.h"

namespace tavrek::engine {

struct FolderCoverage {
  BackendType backend = BackendType::Automatic;  // Automatic: not known yet
  uint32_t kernelFolders = 0;  // inotify: directories with a watch
  uint32_t polledFolders = 0;
  std::chrono::milliseconds pollInterval{0};  // in force; 0 when nothing is polled

  bool known() const { return backend != BackendType::Automatic; }
  bool polled() const { return polledFolders > 0 && pollInterval.count() > 0; }
  bool operator==(const FolderCoverage&) const = default;
};

// "Überwachung: 12.000 Ordner per inotify, 40.751 abgefragt alle 4 s",
// "Überwachung: 40.751 Ordner abgefragt alle 4 s", "Überwachung: 12.000
// Ordner per inotify", "Überwachung: per fanotify"; empty while not known.
std::string CoverageText(const FolderCoverage& coverage);

// What the folder list's icon shows.
enum class CoverageLook { kUnknown, kKernel, kPartlyPolled, kPolled };
CoverageLook LookOf(const FolderCoverage& coverage);

}  // namespace tavrek::engine
