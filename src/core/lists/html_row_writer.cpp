#include "core/lists/html_row_writer.h"

#include "core/lists/field_text.h"

namespace tavrek::lists {
namespace {

constexpr std::string_view kTableStart = "<TABLE Border=0><TR>";
constexpr std::string_view kTableEnd = "</TABLE>";
constexpr std::string_view kEmptyCell = "<td>&nbsp;</td>";
constexpr std::string_view kGreyRowStart = "  <TR BGCOLOR=#EEEEEE>";
constexpr std::string_view kRowStart = "  <TR>";
constexpr std::string_view kRowEnd = "   </TR>\r\n";

// Blanks keep their width in a tree line: every pair becomes " &nbsp;".
void KeepBlankPairs(std::string& text) {
  if (text.find("  ") == std::string::npos) return;
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == ' ' && i + 1 < text.size() && text[i + 1] == ' ') {
      out += " &nbsp;";
      ++i;
    } else {
      out += text[i];
    }
  }
  text.swap(out);
}

}  // namespace

HtmlRowWriter::HtmlRowWriter(ListKind kind, BufferedSink& out) : kind_(kind), out_(out) {}

void HtmlRowWriter::Header(std::span<const std::string_view> fields) {
  out_.Append(kind_ == ListKind::Flat ? kArialHead : kCourierHead);
  out_.Append(kTableStart);
  if (kind_ == ListKind::Flat) {
    FlatHeader(fields);
  } else {
    TreeLine(fields, true);
  }
}

bool HtmlRowWriter::Row(std::span<const std::string_view> fields) {
  if (kind_ == ListKind::Tree) {
    TreeLine(fields, false);
    return true;
  }
  RowStart();
  for (std::string_view field : fields) {
    Escape(field);
    if (cell_.empty()) {
      out_.Append(kEmptyCell);
      continue;
    }
    out_.Append("<td><nobr>");
    out_.Append(cell_);
    out_.Append("</td>");
  }
  out_.Append(kRowEnd);
  return true;
}

void HtmlRowWriter::Finish() {
  out_.Append(kTableEnd);
  out_.Append(kHtmlFoot);
}

void HtmlRowWriter::FlatHeader(std::span<const std::string_view> fields) {
  for (std::string_view field : fields) {
    Escape(field);
    if (cell_.empty()) {
      out_.Append(kEmptyCell);
      continue;
    }
    out_.Append("<td><b><nobr>");
    out_.Append(cell_);
    out_.Append("</b></td>");
  }
  out_.Append("</TR>\r\n\r\n");
}

// Every line of a tree, the header line too, is one row of the table.
void HtmlRowWriter::TreeLine(std::span<const std::string_view> fields, bool header) {
  const std::string_view bold = header ? "<b>" : "";
  RowStart();
  for (std::string_view field : fields) {
    Escape(field);
    out_.Append("<td>");
    out_.Append(bold);
    if (cell_.empty()) {
      out_.Append("&nbsp;</td>");
      continue;
    }
    KeepBlankPairs(cell_);
    out_.Append("<nobr>");
    out_.Append(cell_);
    out_.Append("</td>");
  }
  out_.Append(kRowEnd);
}

void HtmlRowWriter::RowStart() { out_.Append(rows_++ % 2 == 0 ? kGreyRowStart : kRowStart); }

void HtmlRowWriter::Escape(std::string_view text) {
  cell_.clear();
  AppendHtmlEscaped(cell_, text);
}

}  // namespace tavrek::lists
