// A spreadsheet of text cells: the header in row 0 with the header look, the
// rows below it, the fields of a row in columns 0, 1, 2, ... Cells arrive in
// row and column order, so they are written as they come.
#include "core/lists/biff2.h"
#include "core/lists/field_text.h"
#include "core/lists/row_writer.h"

namespace tavrek::lists {
namespace {

class XlsRowWriter : public RowWriter {
 public:
  explicit XlsRowWriter(BufferedSink& out) : out_(out) {}

  void Header(std::span<const std::string_view> fields) override {
    biff2::WriteBof(out_);
    Cells(fields, biff2::HeaderAttributes());
  }

  bool Row(std::span<const std::string_view> fields) override {
    if (row_ >= biff2::kMaxRows) return false;
    Cells(fields, {});
    return true;
  }

  void Finish() override { biff2::WriteEof(out_); }

 private:
  void Cells(std::span<const std::string_view> fields, biff2::CellAttributes attributes) {
    const auto row = static_cast<uint16_t>(row_++);
    uint16_t column = 0;
    for (std::string_view field : fields) {
      biff2::WriteText(out_, row, column++, attributes, SpreadsheetText(field));
    }
  }

  BufferedSink& out_;
  size_t row_ = 0;
};

}  // namespace

std::unique_ptr<RowWriter> MakeXlsRowWriter(BufferedSink& out) {
  return std::make_unique<XlsRowWriter>(out);
}

}  // namespace tavrek::lists
