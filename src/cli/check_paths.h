#pragma once
// tavrek-watch --check: the filter's decision for each path given, as
// TAB-separated lines or, with --format json, one JSON object per line.
#include <cstdio>

#include "cli/command_line.h"

namespace tavrek::cli {

// Prints the decisions to `out` and what the decision leaves aside to
// `errors`; returns the exit code.
int CheckPaths(const CommandLine& line, std::FILE* out, std::FILE* errors);

}  // namespace tavrek::cli
