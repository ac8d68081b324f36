#pragma once
// A cell whose text does not fit its column shows the whole text as its
// tooltip: file names and status texts are long, columns are not.
#include <QStyledItemDelegate>

namespace tavrek::ui {

// The whole text of the cell when the column cuts it, then the cell's own
// tooltip when it has one (a failed folder's mark); else nothing.
QString CellTip(const QStyleOptionViewItem& option, const QModelIndex& index);

// Answers a tooltip event over a cell with CellTip; false when there is none.
bool ShowCellTip(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                 const QModelIndex& index);

// The standard cell drawing with those tooltips.
class CutTextTipDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                 const QModelIndex& index) override;
};

}  // namespace tavrek::ui
