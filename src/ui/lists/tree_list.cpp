#include "ui/lists/tree_list.h"

#include <QHeaderView>
#include <QPainter>
#include <algorithm>

#include "ui/common/dialogs.h"
#include "ui/lists/tree_list_delegate.h"
#include "ui/lists/tree_list_painting.h"

namespace tavrek::ui {
namespace {

const QString kNoSortMessage = QStringLiteral("Add Sotr Function ;)");

void SetFlag(std::vector<bool>& flags, int column, bool on) {
  if (column < 0 || column >= TreeList::kMaxColumns) return;
  if (static_cast<size_t>(column) >= flags.size()) flags.resize(column + 1, false);
  flags[column] = on;
}

bool Flag(const std::vector<bool>& flags, int column) {
  return column >= 0 && static_cast<size_t>(column) < flags.size() && flags[column];
}

// Qt's own selection colours replaced by the plain ones: the list draws its
// own mark over the row instead.
void SuppressSelectionColours(QPalette& palette) {
  palette.setBrush(QPalette::Highlight, palette.base());
  palette.setBrush(QPalette::HighlightedText, palette.text());
}

}  // namespace

TreeList::TreeList(QWidget* parent) : QTreeView(parent) {
  setItemDelegate(new TreeListDelegate(*this));
  // Every row is one line high; Qt can then lay out huge trees without
  // asking each row for its size.
  setUniformRowHeights(true);
  setEditTriggers(NoEditTriggers);
  setSelectionBehavior(SelectRows);
  setSortingEnabled(false);
  QHeaderView* columns = header();
  columns->setSectionsMovable(true);
  columns->setSectionsClickable(true);
  columns->setSortIndicatorShown(false);
  columns->setStretchLastSection(false);
  // Auto-size sets widths down to 0 (hidden columns) and 10 pixels; the
  // header's own minimum would silently widen them.
  columns->setMinimumSectionSize(0);
  connect(columns, &QHeaderView::sectionClicked, this, &TreeList::OnHeaderClicked);
  connect(columns, &QHeaderView::sectionCountChanged, this,
          [this](int, int count) { HideColumnsBeyondLimit(count); });
}

void TreeList::setGridLines(bool on) {
  if (gridLines_ == on) return;
  gridLines_ = on;
  viewport()->update();
}

bool TreeList::ToggleGridLines() {
  setGridLines(!gridLines_);
  return gridLines_;
}

void TreeList::setTransparentMarking(bool on) {
  if (transparentMarking_ == on) return;
  transparentMarking_ = on;
  viewport()->update();
}

void TreeList::setFullRowMode(bool on) {
  if (fullRowMode_ == on) return;
  fullRowMode_ = on;
  setAllColumnsShowFocus(on);
  viewport()->update();
}

void TreeList::setBarColumn(int column, bool bar) {
  SetFlag(barColumns_, column, bar);
  viewport()->update();
}

bool TreeList::isBarColumn(int column) const { return Flag(barColumns_, column); }

void TreeList::setHiddenForAutoSize(int column, bool hidden) {
  SetFlag(hiddenColumns_, column, hidden);
}

bool TreeList::isHiddenForAutoSize(int column) const { return Flag(hiddenColumns_, column); }

int TreeList::ColumnCount() const {
  if (!model()) return 0;
  return std::min(model()->columnCount(rootIndex()), kMaxColumns);
}

void TreeList::OnHeaderClicked(int column) {
  // A copy: the hook may replace itself while it runs.
  const SortHook hook = sortHook_;
  if (hook && hook(column)) return;
  Dialogs::Message(this, QMessageBox::NoIcon, QString(), kNoSortMessage);
}

void TreeList::HideColumnsBeyondLimit(int columnCount) {
  for (int column = kMaxColumns; column < columnCount; ++column) {
    header()->setSectionHidden(column, true);
  }
}

void TreeList::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                       const QModelIndex& index) const {
  const QRect row = RowRect(option.rect);
  FillRowBackground(*painter, row, index);
  const bool selected = selectionModel() && selectionModel()->isSelected(index);
  const bool marked = selected && (fullRowMode_ || transparentMarking_);
  if (!marked) {
    QTreeView::drawRow(painter, option, index);
    if (gridLines_) DrawGridLines(*painter, row);
    return;
  }
  QStyleOptionViewItem plain = option;
  SuppressSelectionColours(plain.palette);
  QTreeView::drawRow(painter, plain, index);
  if (gridLines_) DrawGridLines(*painter, row);
  const QPalette::ColorGroup group =
      (option.state & QStyle::State_Active) ? QPalette::Active : QPalette::Inactive;
  const QRect markRect = fullRowMode_ ? row : visualRect(index);
  DrawSelectionMark(*painter, markRect, option.palette.color(group, QPalette::Highlight),
                    transparentMarking_);
}

QRect TreeList::RowRect(const QRect& paintedRow) const {
  return QRect(-header()->offset(), paintedRow.top(), header()->length(), paintedRow.height());
}

void TreeList::FillRowBackground(QPainter& painter, const QRect& row,
                                 const QModelIndex& index) const {
  const QVariant background = index.data(Qt::BackgroundRole);
  if (!background.canConvert<QBrush>()) return;
  const QBrush brush = background.value<QBrush>();
  if (brush.style() == Qt::NoBrush || brush.color() == palette().color(QPalette::Base)) return;
  painter.fillRect(row, brush);
}

void TreeList::DrawGridLines(QPainter& painter, const QRect& row) const {
  const QHeaderView& columns = *header();
  const int viewportWidth = viewport()->width();
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(GridLineColour(palette().color(QPalette::Base)));
  for (int visual = std::max(0, columns.visualIndexAt(0)); visual < columns.count(); ++visual) {
    const int logical = columns.logicalIndex(visual);
    if (columns.isSectionHidden(logical)) continue;
    const int right = columns.sectionViewportPosition(logical) + columns.sectionSize(logical) - 1;
    if (right >= viewportWidth) break;
    if (right >= 0) painter.drawLine(right, row.top(), right, row.bottom());
  }
  painter.drawLine(row.left(), row.bottom(), row.right(), row.bottom());
  painter.restore();
}

}  // namespace tavrek::ui
