#pragma once
// A multi-column list whose rows form a tree: a tree view under a column
// header, drawn row by row so that grid lines, full-row selection, a
// transparent selection marking and bar columns look alike in every list that
// groups its rows. Texts come from the model the owner sets.
#include <QTreeView>
#include <functional>
#include <vector>

namespace tavrek::ui {

class TreeList : public QTreeView {
  Q_OBJECT

 public:
  static constexpr int kMaxColumns = 160;
  static constexpr int kMinAutoWidth = 10;

  // Asked on a click on a column header; returns whether it sorted. The rows
  // never move either way; without a hook, or when it did not sort, the list
  // says so in a message box ("Add Sotr Function ;)").
  using SortHook = std::function<bool(int column)>;

  explicit TreeList(QWidget* parent = nullptr);

  void setSortHook(SortHook hook) { sortHook_ = std::move(hook); }

  bool gridLines() const { return gridLines_; }
  void setGridLines(bool on);
  // Switches grid lines and returns the new state (for the caller to store).
  bool ToggleGridLines();

  // The second drawing flag: the selection is drawn as a light, see-through mark.
  bool transparentMarking() const { return transparentMarking_; }
  void setTransparentMarking(bool on);

  // The selection drawn across all columns.
  bool fullRowMode() const { return fullRowMode_; }
  void setFullRowMode(bool on);

  // A bar column draws, under its text, a bar covering the percentage the text
  // holds ("12,5 %" -> 12.5 %).
  void setBarColumn(int column, bool bar);
  bool isBarColumn(int column) const;

  // A column marked hidden gets width 0 from AutoSizeColumns.
  void setHiddenForAutoSize(int column, bool hidden);
  bool isHiddenForAutoSize(int column) const;

  // Fits every column to the widest text of its visible rows (rows inside
  // collapsed parents do not count), and to its header text when asked;
  // never below kMinAutoWidth pixels.
  void AutoSizeColumns(bool withHeader);

  // Columns taken into account (at most kMaxColumns).
  int ColumnCount() const;

 protected:
  // Paints the row as the tree does, then the grid lines and the selection mark.
  void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

 private:
  void OnHeaderClicked(int column);
  void HideColumnsBeyondLimit(int columnCount);
  // The row across all columns, in viewport coordinates.
  QRect RowRect(const QRect& paintedRow) const;
  // Distance from a row's left edge to the left edge of its label in column 0.
  int LabelOffset(const QModelIndex& index) const;
  void FillRowBackground(QPainter& painter, const QRect& row, const QModelIndex& index) const;
  void DrawGridLines(QPainter& painter, const QRect& row) const;
  std::vector<int> MeasureColumns(bool withHeader) const;

  SortHook sortHook_;
  bool gridLines_ = false;
  bool transparentMarking_ = false;
  bool fullRowMode_ = false;
  std::vector<bool> barColumns_;
  std::vector<bool> hiddenColumns_;
};

// The value a bar column reads from a text: digits accumulate, the first ","
// or "." starts the decimals, every other character is skipped.
double BarValue(const QString& text);

}  // namespace tavrek::ui
