#include "core/lists/row_writer.h"

#include "core/lists/html_row_writer.h"
#include "core/lists/text_row_writer.h"

namespace tavrek::lists {

std::unique_ptr<RowWriter> MakeXlsRowWriter(BufferedSink& out);

std::unique_ptr<RowWriter> MakeRowWriter(ExportFormat format, ListKind kind, BufferedSink& out) {
  using Style = TextRowWriter::Style;
  switch (format) {
    case ExportFormat::Csv:
      return std::make_unique<TextRowWriter>(
          kind == ListKind::Flat ? Style::QuotedCsv : Style::PlainCsv, out);
    case ExportFormat::Html: return std::make_unique<HtmlRowWriter>(kind, out);
    case ExportFormat::Xls: return MakeXlsRowWriter(out);
    case ExportFormat::Txt: break;
  }
  return std::make_unique<TextRowWriter>(Style::Tabs, out);
}

}  // namespace tavrek::lists
