#include "cli/export_at_stop.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/lists/change_log_list.h"
#include "core/lists/export_dialog.h"
#include "core/lists/export_file.h"
#include "core/lists/flat_export.h"
#include "core/platform/file_io.h"
#include "core/platform/visible_text.h"

namespace tavrek::cli {
namespace {

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

std::string CannotWrite(const std::string& path, std::string_view reason) {
  return "cannot write the export " + platform::VisibleText(path) + ": " + std::string(reason);
}

void Report(const std::string& file, const lists::ExportResult& result, std::FILE* errors) {
  if (result.ok()) {
    if (result.rowsLeftOut > 0) {
      std::fprintf(errors, "tavrek-watch: %s: %zu rows left out, a spreadsheet file holds no more\n",
                   platform::VisibleText(file).c_str(), result.rowsLeftOut);
    }
    return;
  }
  std::fprintf(errors, "tavrek-watch: %s\n",
               CannotWriteExport(file, result.error != 0 ? result.error : EIO).c_str());
}

}  // namespace

std::string ExportTargetProblem(const std::string& path) {
  const std::string target = platform::ResolveTarget(path);
  struct stat status {};
  int error = 0;
  if (stat(target.c_str(), &status) == 0) {
    if (S_ISDIR(status.st_mode)) return CannotWriteExport(path, EISDIR);
    if (!S_ISREG(status.st_mode)) return CannotWrite(path, "not a regular file");
    if (platform::IsWriteProtected(target)) return CannotWrite(path, "write-protected");
  } else if (errno != ENOENT) {
    return CannotWriteExport(path, errno);
  }
  const std::string folder = platform::ParentFolder(target);
  if (stat(folder.c_str(), &status) != 0) {
    error = errno;
  } else if (!S_ISDIR(status.st_mode)) {
    error = ENOTDIR;
  } else if (faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
    error = errno;  // the export is a new file in that folder, renamed over the target
  }
  return error == 0 ? std::string() : CannotWriteExport(path, error);
}

std::string ExportTargetsProblem(const std::vector<std::string>& files) {
  for (const std::string& file : files) {
    if (std::string problem = ExportTargetProblem(file); !problem.empty()) return problem;
  }
  return {};
}

std::string CannotWriteExport(const std::string& path, int error) {
  return CannotWrite(path, std::strerror(error));
}

std::optional<lists::ExportFormat> ExportFormatOfPath(std::string_view path) {
  const size_t slash = path.find_last_of('/');
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const size_t dot = name.find_last_of('.');
  if (dot == std::string_view::npos || dot == 0) return std::nullopt;
  const std::string extension = LowerAscii(name.substr(dot + 1));
  for (size_t i = 0; i < lists::kExportFilters.size(); ++i) {
    if (lists::kExportFilters[i].extension == extension) {
      return lists::FormatOfIndex(static_cast<int>(i) + 1);
    }
  }
  return std::nullopt;
}

bool ExportAtStop(const engine::ChangeLog& log, const std::vector<std::string>& files,
                  std::FILE* errors) {
  if (log.droppedRows() > 0 && !files.empty()) {
    std::fprintf(errors, "tavrek-watch: %llu rows found no room (disk and memory cap full) "
                 "and are missing from the export\n",
                 static_cast<unsigned long long>(log.droppedRows()));
  }
  const lists::FlatListSource list = lists::ChangeLogList(log);
  bool allWritten = true;
  for (const std::string& file : files) {
    // What became of the target during the watch is looked at again.
    if (const std::string problem = ExportTargetProblem(file); !problem.empty()) {
      std::fprintf(errors, "tavrek-watch: %s\n", problem.c_str());
      allWritten = false;
      continue;
    }
    const lists::ExportFormat format = ExportFormatOfPath(file).value_or(lists::ExportFormat::Txt);
    const lists::ExportResult result = lists::ExportToFile(
        file, [&](lists::Sink& sink) { return lists::WriteFlatList(list, format, sink); });
    Report(file, result, errors);
    allWritten = allWritten && result.ok();
  }
  return allWritten;
}

}  // namespace tavrek::cli
