#pragma once
// Draws the cells of a tree list. Column 0 keeps the standard drawing of the
// tree's label; every other column is drawn here, cheaply: one text read from
// the model, an optional bar under it, the text on one line with an ellipsis.
// Columns from 1 on never show the selection colour; the list marks a
// selected row itself.
#include <QStyledItemDelegate>

namespace tavrek::ui {

class TreeList;

class TreeListDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  // Texts of columns from 1 on start this far right of the column's left edge.
  static constexpr int kTextIndent = 4;

  explicit TreeListDelegate(TreeList& list);

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  // A cut text shows whole as the cell's tooltip.
  bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                 const QModelIndex& index) override;

 private:
  void PaintCell(QPainter& painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const;
  bool IsFocusedRow(const QModelIndex& index) const;

  TreeList& list_;
};

}  // namespace tavrek::ui
