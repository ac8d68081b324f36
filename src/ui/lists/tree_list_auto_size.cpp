#include <QHash>
#include <QHeaderView>
#include <QStyle>

#include "ui/lists/tree_list.h"

namespace tavrek::ui {
namespace {

// Room added to every measured text: the "W" appended to it plus this margin.
constexpr int kAutoSizeMargin = 8;
// Between a row's icon and its label text.
constexpr int kIconSpacing = 4;
// Bounds the memory of the measured-text cache on trees of unique names.
constexpr qsizetype kMaxRememberedTexts = 1 << 16;

}  // namespace

void TreeList::AutoSizeColumns(bool withHeader) {
  const std::vector<int> widths = MeasureColumns(withHeader);
  for (int column = static_cast<int>(widths.size()) - 1; column >= 0; --column) {
    setColumnWidth(column, isHiddenForAutoSize(column) ? 0 : widths[column]);
  }
  viewport()->update();
}

// All columns are measured in one walk over the visible rows: a tree of
// hundreds of thousands of rows is walked once, not once per column.
std::vector<int> TreeList::MeasureColumns(bool withHeader) const {
  const int count = ColumnCount();
  std::vector<int> widths(count, kMinAutoWidth);
  if (count == 0) return widths;
  const QFontMetrics metrics = fontMetrics();
  const QString wideLetter = QStringLiteral("W");
  // Counts, times and names repeat across rows; measuring a text costs far
  // more than looking it up.
  QHash<QString, int> measured;
  const auto fit = [&](int column, const QString& text, int offset) {
    const auto known = measured.constFind(text);
    int width = 0;
    if (known != measured.cend()) {
      width = *known;
    } else {
      width = metrics.horizontalAdvance(text + wideLetter);
      if (measured.size() < kMaxRememberedTexts) measured.insert(text, width);
    }
    widths[column] = std::max(widths[column], width + offset + kAutoSizeMargin);
  };
  for (int column = 0; withHeader && column < count; ++column) {
    fit(column, model()->headerData(column, Qt::Horizontal).toString(), 0);
  }
  for (QModelIndex row = model()->index(0, 0, rootIndex()); row.isValid(); row = indexBelow(row)) {
    for (int column = 0; column < count; ++column) {
      if (isHiddenForAutoSize(column)) continue;
      const QModelIndex cell = column == 0 ? row : row.siblingAtColumn(column);
      fit(column, cell.data().toString(), column == 0 ? LabelOffset(row) : 0);
    }
  }
  return widths;
}

int TreeList::LabelOffset(const QModelIndex& index) const {
  int depth = rootIsDecorated() ? 1 : 0;
  for (QModelIndex parent = index.parent(); parent.isValid() && parent != rootIndex();
       parent = parent.parent()) {
    ++depth;
  }
  int offset = depth * indentation();
  if (index.data(Qt::DecorationRole).isValid()) {
    const int icon = iconSize().isValid()
                         ? iconSize().width()
                         : style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    offset += icon + kIconSpacing;
  }
  return offset;
}

}  // namespace tavrek::ui
