#include "core/lists/flat_export.h"

#include <string>
#include <vector>

#include "core/lists/export_columns.h"
#include "core/lists/export_run.h"
#include "core/lists/field_text.h"
#include "core/lists/row_writer.h"

namespace tavrek::lists {

ExportResult WriteFlatList(const FlatListSource& list, ExportFormat format, Sink& sink,
                           const ExportProgress& progress) {
  BufferedSink out(sink);
  const std::unique_ptr<RowWriter> writer = MakeRowWriter(format, ListKind::Flat, out);
  const std::vector<int> columns = FlatExportColumns(list.layout);
  std::vector<std::string> texts(columns.size());
  std::string cell;
  std::vector<std::string_view> fields(columns.size());
  for (size_t k = 0; k < columns.size(); ++k) {
    fields[k] = list.layout.columns[static_cast<size_t>(columns[k])].title;
  }
  writer->Header(fields);
  ExportResult result;
  for (size_t row = 0; row < list.rowCount; ++row) {
    if (!KeepGoing(progress, row, list.rowCount, out, result)) return result;
    for (size_t k = 0; k < columns.size(); ++k) {
      cell.clear();
      if (list.cell) list.cell(row, columns[k], cell);
      texts[k].clear();
      AppendShownText(texts[k], cell);
      fields[k] = texts[k];
    }
    if (!writer->Row(fields)) {
      result.rowsLeftOut = list.rowCount - row;
      break;
    }
    ++result.rowsWritten;
  }
  writer->Finish();
  return Finished(out, result);
}

}  // namespace tavrek::lists
