#pragma once
#include "core/lists/row_writer.h"

namespace tavrek::lists {

class TextRowWriter : public RowWriter {
 public:
  enum class Style {
    Tabs,       // text: field TAB
    QuotedCsv,  // flat-list CSV: "field";
    PlainCsv,   // tree-list CSV: field; quoted only when it holds ";" or '"'
  };

  TextRowWriter(Style style, BufferedSink& out);
  void Header(std::span<const std::string_view> fields) override;
  bool Row(std::span<const std::string_view> fields) override;
  void Finish() override;

 private:
  void Line(std::span<const std::string_view> fields);

  Style style_;
  BufferedSink& out_;
};

}  // namespace tavrek::lists
