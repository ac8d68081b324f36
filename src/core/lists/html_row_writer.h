#pragma once
#include <string>

#include "core/lists/row_writer.h"

namespace tavrek::lists {

// An HTML table, rows alternately on grey and on the page colour.
class HtmlRowWriter : public RowWriter {
 public:
  HtmlRowWriter(ListKind kind, BufferedSink& out);
  void Header(std::span<const std::string_view> fields) override;
  bool Row(std::span<const std::string_view> fields) override;
  void Finish() override;

 private:
  void FlatHeader(std::span<const std::string_view> fields);
  void TreeLine(std::span<const std::string_view> fields, bool header);
  void RowStart();
  // `cell_` = the escaped text; empty when the text is.
  void Escape(std::string_view text);

  ListKind kind_;
  BufferedSink& out_;
  std::string cell_;
  size_t rows_ = 0;
};

}  // namespace tavrek::lists
