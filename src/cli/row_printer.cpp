#include "cli/row_printer.h"

#include <string>

#include "core/platform/visible_text.h"

namespace tavrek::cli {
namespace {

// A file name may hold TAB, line breaks, terminal controls and bytes that are
// no UTF-8; escaped, every line is valid UTF-8 and names exactly one file.
void WriteField(std::FILE* out, const std::string& text) {
  const std::string visible = platform::VisibleText(text);
  std::fwrite(visible.data(), 1, visible.size(), out);
}

}  // namespace

void RowPrinter::PrintRow(size_t index) {
  const engine::ChangeLog& log = session_.log();
  for (int column = engine::kLogColumnTime; column < engine::kLogColumnCount; ++column) {
    if (column != engine::kLogColumnTime) std::fputc('\t', out_);
    WriteField(out_, log.CellText(index, column));
  }
  std::fputc('\n', out_);
}

void RowPrinter::OnLogRowsAppended(size_t oldSize, size_t newSize) {
  for (size_t index = std::max(oldSize, printed_); index < newSize; ++index) PrintRow(index);
  printed_ = newSize;
}

void RowPrinter::OnOverflowCountChanged(uint64_t total) {
  std::fprintf(errors_,
               "tavrek-watch: the kernel queue overflowed (%llu times so far); changes were lost\n",
               static_cast<unsigned long long>(total));
}

void RowPrinter::OnFolderRowsChanged() {
  for (const engine::FolderRow& row : session_.folderRows()) {
    if (row.failed) {
      std::fprintf(errors_, "tavrek-watch: cannot open %s (%s)\n",
                   platform::VisibleText(row.path).c_str(),
                   std::string(engine::kFolderFailedMark).c_str());
    }
  }
}

}  // namespace tavrek::cli
