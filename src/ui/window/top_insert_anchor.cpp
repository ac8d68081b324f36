#include "ui/window/top_insert_anchor.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>
#include <algorithm>

#include "ui/window/view_look.h"

namespace tavrek::ui {

TopInsertAnchor::TopInsertAnchor(const QTableView& view)
    : scrolled_(view.verticalScrollBar()->value()) {
  followNewest_ = scrolled_ == view.verticalScrollBar()->minimum() && !HasSelectedCurrentRow(view);
}

void TopInsertAnchor::Restore(QTableView& view, size_t added) const {
  QScrollBar& bar = *view.verticalScrollBar();
  if (followNewest_) {
    bar.setValue(bar.minimum());
    return;
  }
  // The view would lay its rows out later; the scroll range must grow now.
  view.doItemsLayout();
  // The rows all have the one height, so the rows above grow by a known amount.
  const qint64 step = view.verticalScrollMode() == QAbstractItemView::ScrollPerItem
                          ? 1
                          : view.verticalHeader()->defaultSectionSize();
  const qint64 wanted = scrolled_ + static_cast<qint64>(added) * step;
  bar.setValue(static_cast<int>(std::min<qint64>(wanted, bar.maximum())));
}

}  // namespace tavrek::ui
