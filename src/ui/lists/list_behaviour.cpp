#include "ui/lists/list_behaviour.h"

#include <QHeaderView>
#include <QTableView>
#include <algorithm>
#include <functional>
#include <vector>

namespace tavrek::ui {
namespace {

// A list may hold millions of rows; measuring them all would stall the
// window. Like the platform's own fitting, only the rows in view and up to
// this many above and below them (1000 around the view) are measured.
constexpr int kRowsMeasuredAroundView = 500;
// The grid line drawn at a cell's right edge takes one pixel of its width.
constexpr int kGridLineWidth = 1;

struct RowSpan {
  int first = 0;
  int last = -1;
};

RowSpan RowsToMeasure(const QTableView& view) {
  const int rowCount = view.model()->rowCount(view.rootIndex());
  if (rowCount == 0) return {};
  int first = view.rowAt(0);
  int last = view.rowAt(view.viewport()->height() - 1);
  if (first < 0) first = 0;
  if (last < 0) last = rowCount - 1;
  return {std::max(0, first - kRowsMeasuredAroundView),
          std::min(rowCount - 1, last + kRowsMeasuredAroundView)};
}

int WidestItem(const QTableView& view, int column, RowSpan rows) {
  const QAbstractItemModel& model = *view.model();
  const int grid = view.showGrid() ? kGridLineWidth : 0;
  int widest = 0;
  for (int row = rows.first; row <= rows.last; ++row) {
    if (view.isRowHidden(row)) continue;
    const QModelIndex index = model.index(row, column, view.rootIndex());
    widest = std::max(widest, view.sizeHintForIndex(index).width() + grid);
  }
  return widest;
}

}  // namespace

void AutoSizeColumns(QTableView& view, bool withHeader) {
  if (!view.model()) return;
  const QHeaderView& header = *view.horizontalHeader();
  const RowSpan rows = RowsToMeasure(view);
  for (int column = view.model()->columnCount(view.rootIndex()) - 1; column >= 0; --column) {
    if (view.isColumnHidden(column)) continue;
    int width = WidestItem(view, column, rows);
    if (withHeader) width = std::max(width, header.sectionSizeHint(column));
    // A column without rows or header must stay wide enough to be grabbed.
    view.setColumnWidth(column, std::max(width, header.minimumSectionSize()));
  }
}

bool ToggleGridLines(QTableView& view) {
  view.setShowGrid(!view.showGrid());
  return view.showGrid();
}

// Only rows directly below the view's root count: the lists this serves are flat.
int DeleteSelectedRows(QAbstractItemView& view) {
  QAbstractItemModel* model = view.model();
  const QItemSelectionModel* selection = view.selectionModel();
  if (!model || !selection) return 0;
  const QModelIndex root = view.rootIndex();
  std::vector<int> rows;
  for (const QItemSelectionRange& range : selection->selection()) {
    if (range.parent() != root) continue;
    for (int row = range.top(); row <= range.bottom(); ++row) rows.push_back(row);
  }
  std::sort(rows.begin(), rows.end(), std::greater<>());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  int removed = 0;
  for (const int row : rows) {
    if (model->removeRow(row, root)) ++removed;
  }
  return removed;
}

}  // namespace tavrek::ui
