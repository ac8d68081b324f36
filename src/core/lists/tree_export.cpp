#include "core/lists/tree_export.h"

#include <vector>

#include "core/lists/export_columns.h"
#include "core/lists/export_run.h"
#include "core/lists/row_writer.h"
#include "core/lists/tree_text.h"

namespace tavrek::lists {
namespace {

// The fields of a line by column index; a column the line lacks is empty.
void PickFields(std::string_view line, const std::vector<int>& columns,
                std::vector<std::string_view>& split, std::vector<std::string_view>& fields) {
  split.clear();
  for (size_t tab; (tab = line.find('\t')) != std::string_view::npos;) {
    split.push_back(line.substr(0, tab));
    line.remove_prefix(tab + 1);
  }
  if (!line.empty()) split.push_back(line);
  for (size_t k = 0; k < columns.size(); ++k) {
    const auto column = static_cast<size_t>(columns[k]);
    fields[k] = column < split.size() ? split[column] : std::string_view();
  }
}

}  // namespace

ExportResult WriteTreeList(const TreeListSource& tree, ExportFormat format, Sink& sink,
                           const ExportProgress& progress) {
  BufferedSink out(sink);
  const std::unique_ptr<RowWriter> writer = MakeRowWriter(format, ListKind::Tree, out);
  const std::vector<int> columns = TreeExportColumns(tree.layout);
  std::vector<std::string_view> split;
  std::vector<std::string_view> fields(columns.size());
  ExportResult result;
  bool header = true;
  VisitTreeLines(tree, [&](std::string_view line) {
    if (header) {
      PickFields(line, columns, split, fields);
      writer->Header(fields);
      header = false;
      return true;
    }
    if (result.rowsLeftOut > 0) {  // the file is full: only count what is left
      ++result.rowsLeftOut;
      return true;
    }
    if (!KeepGoing(progress, result.rowsWritten, 0, out, result)) return false;
    PickFields(line, columns, split, fields);
    if (writer->Row(fields)) {
      ++result.rowsWritten;
    } else {
      result.rowsLeftOut = 1;
    }
    return true;
  });
  if (!result.ok()) return result;
  writer->Finish();
  return Finished(out, result);
}

}  // namespace tavrek::lists
