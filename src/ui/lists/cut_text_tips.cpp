#include "ui/lists/cut_text_tips.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QToolTip>

namespace tavrek::ui {

namespace {

// The width the standard drawing needs: text, margins and an icon if any.
bool IsCut(const QStyleOptionViewItem& option, const QModelIndex& index) {
  QStyleOptionViewItem measured = option;
  measured.rect = QRect();
  QStyledItemDelegate sizer;
  return sizer.sizeHint(measured, index).width() > option.rect.width();
}

}  // namespace

QString CellTip(const QStyleOptionViewItem& option, const QModelIndex& index) {
  const QString own = index.data(Qt::ToolTipRole).toString();
  const QString text = index.data(Qt::DisplayRole).toString();
  const bool cut = !text.isEmpty() && IsCut(option, index);
  if (own.isEmpty()) return cut ? text : QString();
  return cut ? text + QLatin1Char('\n') + own : own;
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
