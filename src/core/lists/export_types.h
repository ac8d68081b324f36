#pragma once
// What an export reads and what it reports back: lists as column titles,
// widths and a cell callback; trees as nodes with an expanded state.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tavrek::lists {

// Numbered as the save dialog lists its filters (and as the setting stores it).
enum class ExportFormat : int { Txt = 1, Csv = 2, Html = 3, Xls = 4 };

// A column narrower than this many pixels or exactly as wide is left out.
inline constexpr int kHiddenColumnWidth = 10;
// A tree list takes this many columns at most.
inline constexpr size_t kMaxTreeColumns = 160;

struct ListColumn {
  std::string title;
  int width = 0;  // pixels, as the view shows the column now
};

// Columns are given by index; displayOrder[position] is the index of the
// column shown at that position (empty: shown in index order).
struct ListColumns {
  std::vector<ListColumn> columns;
  std::vector<int> displayOrder;
};

// A report-style list: `cell` writes the text of a row (in the list's
// current order) and column into `text`, which arrives empty.
struct FlatListSource {
  ListColumns layout;
  size_t rowCount = 0;
  std::function<void(size_t row, int column, std::string& text)> cell;
};

using TreeNodeId = uint64_t;

// A tree list. `root` is the invisible node whose children are the top items;
// column 0 of a node is its label.
struct TreeListSource {
  ListColumns layout;
  TreeNodeId root = 0;
  std::function<size_t(TreeNodeId node)> childCount;
  std::function<TreeNodeId(TreeNodeId parent, size_t index)> child;
  std::function<bool(TreeNodeId node)> isExpanded;  // none: every node is expanded
  std::function<void(TreeNodeId node, int column, std::string& text)> cell;
};

// Asked every `interval` rows with the rows written so far and the total
// (0 when not known in advance); returning false cancels the export.
struct ExportProgress {
  static constexpr size_t kDefaultInterval = 4096;
  std::function<bool(size_t done, size_t total)> keepGoing;
  size_t interval = kDefaultInterval;
};

enum class ExportStatus {
  Ok,
  Cancelled,
  OpenFailed,   // the file could not be created
  WriteFailed,  // writing or putting the finished file in place failed
};

struct ExportResult {
  ExportStatus status = ExportStatus::Ok;
  int error = 0;           // errno of a failed open or write, when known
  size_t rowsWritten = 0;  // data rows, the header not counted
  // Rows a spreadsheet file cannot hold (biff2::kMaxRows, the header included).
  size_t rowsLeftOut = 0;

  bool ok() const { return status == ExportStatus::Ok; }
};

}  // namespace tavrek::lists
