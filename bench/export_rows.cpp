// Time and memory of exporting a change log of a million rows to each file
// type, through the export file the window uses.
//   export_rows [ROWS] [FOLDER]
// Memory is the growth of the peak resident set during one export (the peak
// is reset before each, through /proc/self/clear_refs), beside the file size.
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "core/engine/action.h"
#include "core/engine/change_log.h"
#include "core/engine/watch_options.h"
#include "core/lists/change_log_list.h"
#include "core/lists/export_file.h"
#include "core/lists/flat_export.h"

namespace {

using namespace tavrek;

constexpr size_t kDefaultRows = 1'000'000;
constexpr size_t kFolders = 100;
constexpr size_t kKiB = 1024;

void FillLog(engine::ChangeLog& log, size_t rows) {
  engine::ChangeEvent event;
  event.time = platform::GetLocalTime();
  for (size_t i = 0; i < rows; ++i) {
    // Every tenth name has characters beyond ASCII, as real folders do.
    event.path = "/home/user/projects/tree/d" + std::to_string(i % kFolders) +
                 (i % 10 == 0 ? "/Größe-" : "/file-") + std::to_string(i) + ".txt";
    const bool write = i % 3 != 0;
    event.action = write ? engine::Action::kWritten : engine::Action::kCreated;
    event.kindIndex = write ? engine::kKindWrite : engine::kKindName;
    event.recordPosition = static_cast<uint16_t>(i % 256);
    log.AddEvent(event, "");
  }
}

// A field of /proc/self/status in KiB.
size_t StatusKiB(const std::string& field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(field + ":", 0) == 0)
      return std::strtoull(line.c_str() + field.size() + 1, nullptr, 10);
  }
  return 0;
}

void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

void Measure(const lists::FlatListSource& list, lists::ExportFormat format,
             const std::string& path) {
  ResetPeak();
  const size_t before = StatusKiB("VmRSS");
  const auto start = std::chrono::steady_clock::now();
  const lists::ExportResult result = lists::ExportToFile(
      path, [&](lists::Sink& sink) { return lists::WriteFlatList(list, format, sink); });
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const size_t growth = StatusKiB("VmHWM") - before;
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  const size_t fileKiB = static_cast<size_t>(file.tellg()) / kKiB;
  std::printf("%-5s %8.3f s  file %8zu KiB  peak RSS growth %6zu KiB (%.3f x file)  rows %zu%s\n",
              path.substr(path.rfind('.') + 1).c_str(), seconds, fileKiB, growth,
              fileKiB ? static_cast<double>(growth) / static_cast<double>(fileKiB) : 0.0,
              result.rowsWritten, result.ok() ? "" : "  FAILED");
  if (result.rowsLeftOut > 0)
    std::printf("      %zu rows left out (sheet full)\n", result.rowsLeftOut);
  unlink(path.c_str());
}

// The part of an export's time spent reading the list's texts.
void MeasureReading(const lists::FlatListSource& list) {
  const auto start = std::chrono::steady_clock::now();
  std::string text;
  size_t bytes = 0;
  for (size_t row = 0; row < list.rowCount; ++row) {
    for (size_t column = 0; column < list.layout.columns.size(); ++column) {
      text.clear();
      list.cell(row, static_cast<int>(column), text);
      bytes += text.size();
    }
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("reading the cells alone: %.3f s (%zu KiB of text)\n", seconds, bytes / kKiB);
}

}  // namespace

int main(int argc, char** argv) {
  const size_t rows = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : kDefaultRows;
  const char* tmp = std::getenv("TMPDIR");
  const std::string folder = argc > 2 ? argv[2] : (tmp ? tmp : "/tmp");
  engine::ChangeLog log;
  FillLog(log, rows);
  std::printf("%zu change-log rows; resident after filling: %zu KiB\n", rows, StatusKiB("VmRSS"));
  const lists::FlatListSource list = lists::ChangeLogList(log);
  MeasureReading(list);
  const std::string base = folder + "/tavrek-export-bench-" + std::to_string(getpid());
  Measure(list, lists::ExportFormat::Txt, base + ".txt");
  Measure(list, lists::ExportFormat::Csv, base + ".csv");
  Measure(list, lists::ExportFormat::Html, base + ".html");
  Measure(list, lists::ExportFormat::Xls, base + ".xls");
  return 0;
}
