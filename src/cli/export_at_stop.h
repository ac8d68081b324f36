#pragma once
// `tavrek-watch --export FILE`: when the watch stops, the change log is
// written to each file as the window's change-log export writes it, in the
// format the file's extension names.
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine/change_log.h"
#include "core/lists/export_types.h"

namespace tavrek::cli {

// The format of ".txt", ".csv", ".html" or ".xls" (in any letter case);
// nothing for any other name, which the command line refuses.
std::optional<lists::ExportFormat> ExportFormatOfPath(std::string_view path);

// Why an export to `path` could not be written, as "cannot write the export
// PATH: REASON" (the path escaped for the terminal), or empty: its folder
// must exist and take a new file, and the target, where it is there already,
// must be a regular file (a FIFO would block the writer) that is not
// write-protected (the user protected it from being replaced). Creates nothing,
// so a command line can be refused before the watch without leaving a trace.
std::string ExportTargetProblem(const std::string& path);

// The first problem of the files, or empty when each can be written.
std::string ExportTargetsProblem(const std::vector<std::string>& files);

// "cannot write the export PATH: REASON", the path escaped for the terminal.
std::string CannotWriteExport(const std::string& path, int error);

// Writes the log, newest row first and every column at its first width, to
// each file. A file that cannot be written is named on `errors` and the
// others are still written; rows a spreadsheet cannot hold are told there
// too. Returns false when any file failed.
bool ExportAtStop(const engine::ChangeLog& log, const std::vector<std::string>& files,
                  std::FILE* errors);

}  // namespace tavrek::cli
