// Tab-separated text and CSV: every field, the last one too, is followed by
// its separator; every line ends with CR LF. Fields come as shown texts (see
// AppendShownText), which hold no TAB, CR or LF.
#include "core/lists/text_row_writer.h"

#include "core/lists/field_text.h"

namespace tavrek::lists {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

// A tree line is not quoted unless a field would otherwise break the line.
bool NeedsQuotes(std::string_view field) {
  return field.find_first_of(";\"") != std::string_view::npos;
}

}  // namespace

TextRowWriter::TextRowWriter(Style style, BufferedSink& out) : style_(style), out_(out) {}

void TextRowWriter::Header(std::span<const std::string_view> fields) { Line(fields); }

bool TextRowWriter::Row(std::span<const std::string_view> fields) {
  Line(fields);
  return true;
}

void TextRowWriter::Finish() {}

void TextRowWriter::Line(std::span<const std::string_view> fields) {
  for (std::string_view field : fields) {
    switch (style_) {
      case Style::Tabs:
        AppendFormulaGuard(out_, field);
        out_.Append(field);
        out_.Append('\t');
        break;
      case Style::QuotedCsv:
        AppendCsvQuoted(out_, field);
        out_.Append(';');
        break;
      case Style::PlainCsv:
        if (NeedsQuotes(field)) {
          AppendCsvQuoted(out_, field);
        } else {
          AppendFormulaGuard(out_, field);
          out_.Append(field);
        }
        out_.Append(';');
        break;
    }
  }
  out_.Append(kLineEnd);
}

}  // namespace tavrek::lists
