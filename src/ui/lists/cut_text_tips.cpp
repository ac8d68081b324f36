#include "ui/lists/cut_text_tips.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QToolTip>

namespace tavrek::ui {

QString CellTip(const QStyleOptionViewItem& option, const QModelIndex& index) {
  const QString own = index.data(Qt::ToolTipRole).toString();
  if (!own.isEmpty()) return own;
  const QString text = index.data(Qt::DisplayRole).toString();
  if (text.isEmpty()) return {};
  // The width the standard drawing needs: text, margins and an icon if any.
  QStyleOptionViewItem measured = option;
  measured.rect = QRect();
  QStyledItemDelegate sizer;
  const int needed = sizer.sizeHint(measured, index).width();
  return needed > option.rect.width() ? text : QString();
}

bool ShowCellTip(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                 const QModelIndex& index) {
  if (!event || !view || event->type() != QEvent::ToolTip) return false;
  const QString tip = CellTip(option, index);
  if (tip.isEmpty()) {
    QToolTip::hideText();
    event->ignore();
    return false;
  }
  QToolTip::showText(event->globalPos(), tip, view, option.rect);
  return true;
}

bool CutTextTipDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                   const QStyleOptionViewItem& option, const QModelIndex& index) {
  if (event && event->type() == QEvent::ToolTip) return ShowCellTip(event, view, option, index);
  return QStyledItemDelegate::helpEvent(event, view, option, index);
}

}  // namespace tavrek::ui
