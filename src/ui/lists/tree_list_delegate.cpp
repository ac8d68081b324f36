#include "ui/lists/tree_list_delegate.h"

#include <QHelpEvent>
#include <QPainter>

#include "ui/lists/cut_text_tips.h"
#include "ui/lists/tree_list.h"
#include "ui/lists/tree_list_painting.h"

namespace tavrek::ui {
namespace {

QPalette::ColorGroup GroupOf(const QStyleOptionViewItem& option) {
  if (!(option.state & QStyle::State_Enabled)) return QPalette::Disabled;
  return (option.state & QStyle::State_Active) ? QPalette::Active : QPalette::Inactive;
}

QColor TextColour(const QStyleOptionViewItem& option, const QModelIndex& index) {
  const QVariant foreground = index.data(Qt::ForegroundRole);
  if (foreground.canConvert<QBrush>()) {
    const QBrush brush = foreground.value<QBrush>();
    if (brush.style() != Qt::NoBrush) return brush.color();
  }
  return option.palette.color(GroupOf(option), QPalette::Text);
}

// One line of text: line breaks would otherwise confuse the eliding.
QString SingleLine(QString text) {
  text.replace(QChar::LineFeed, QChar::Space);
  text.replace(QChar::CarriageReturn, QChar::Space);
  return text;
}

}  // namespace

TreeListDelegate::TreeListDelegate(TreeList& list) : QStyledItemDelegate(&list), list_(list) {}

void TreeListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
  if (index.column() == 0) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  PaintCell(*painter, option, index);
}

void TreeListDelegate::PaintCell(QPainter& painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
  const QString text = SingleLine(index.data(Qt::DisplayRole).toString());
  if (list_.isBarColumn(index.column())) {
    const bool focused = !list_.fullRowMode() && IsFocusedRow(index);
    DrawBar(painter, option.rect, BarValue(text), BarColour(focused));
  }
  if (text.isEmpty()) return;
  const QRect textRect = option.rect.adjusted(kTextIndent, 0, 0, 0);
  if (textRect.width() <= 0) return;
  const QString shown = option.fontMetrics.elidedText(text, Qt::ElideRight, textRect.width());
  painter.save();
  painter.setFont(option.font);
  painter.setPen(TextColour(option, index));
  painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
  painter.restore();
}

bool TreeListDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                 const QStyleOptionViewItem& option, const QModelIndex& index) {
  if (event && event->type() == QEvent::ToolTip) return ShowCellTip(event, view, option, index);
  return QStyledItemDelegate::helpEvent(event, view, option, index);
}

bool TreeListDelegate::IsFocusedRow(const QModelIndex& index) const {
  if (!list_.hasFocus()) return false;
  const QModelIndex current = list_.currentIndex();
  return current.isValid() && current.row() == index.row() && current.parent() == index.parent();
}

}  // namespace tavrek::ui
