#pragma once
// Tells on standard error how each folder that is polled (wholly or in part)
// is watched, as soon as its source has said so and again whenever that
// changes (a longer polling interval).
#include <cstdio>
#include <string>
#include <vector>

#include "core/engine/watch_session.h"

namespace tavrek::cli {

class CoverageReport {
 public:
  explicit CoverageReport(std::FILE* out) : out_(out) {}
  void PrintChanges(const engine::WatchSession& session);

 private:
  std::FILE* out_;
  std::vector<std::string> told_;  // per folder row, the text printed last
};

}  // namespace tavrek::cli
