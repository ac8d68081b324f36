#include "ui/window/view_look.h"

#include <QAbstractItemView>
#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QShortcut>
#include <QTableView>
#include <algorithm>

#include "core/app/identity.h"
#include "ui/common/text.h"
#include "ui/lists/cut_text_tips.h"

namespace tavrek::ui {
namespace {

constexpr int kReferenceCharWidth = 6;
constexpr int kLettersInAlphabet = 26;
constexpr int kRowPadding = 4;

}  // namespace

window::DialogBaseUnits BaseUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  const int average = (metrics.horizontalAdvance(letters) / kLettersInAlphabet + 1) / 2;
  return {average, metrics.height()};
}

int Scaled(int pixels, const QFont& font) {
  return std::max(pixels, pixels * BaseUnits(font).averageCharWidth / kReferenceCharWidth);
}

void PrepareView(QAbstractItemView& view) {
  view.setTabKeyNavigation(false);
  view.setItemDelegate(new CutTextTipDelegate(&view));
}

void PrepareTable(QTableView& view) {
  PrepareView(view);
  view.setSelectionBehavior(QAbstractItemView::SelectRows);
  view.setEditTriggers(QAbstractItemView::NoEditTriggers);
  view.verticalHeader()->hide();
  view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view.verticalHeader()->setDefaultSectionSize(view.fontMetrics().height() + kRowPadding);
  view.horizontalHeader()->setHighlightSections(false);
  view.setWordWrap(false);
  view.setContextMenuPolicy(Qt::CustomContextMenu);
}

void AddDeleteKey(QAbstractItemView& view, std::function<void()> removeMarked) {
  auto* key = new QShortcut(QKeySequence::Delete, &view);
  key->setContext(Qt::WidgetShortcut);
  QObject::connect(key, &QShortcut::activated, &view, std::move(removeMarked));
}

bool HasSelectedCurrentRow(const QAbstractItemView& view) {
  const QItemSelectionModel* selection = view.selectionModel();
  return selection && selection->currentIndex().isValid() &&
         selection->isSelected(selection->currentIndex());
}

lists::ListColumns LayoutOf(const QHeaderView& header) {
  lists::ListColumns layout;
  for (int column = 0; column < header.count(); ++column) {
    const QString title = header.model()->headerData(column, Qt::Horizontal).toString();
    const int width = header.isSectionHidden(column) ? 0 : header.sectionSize(column);
    layout.columns.push_back({ToUtf8(title), width});
  }
  for (int position = 0; position < header.count(); ++position) {
    layout.displayOrder.push_back(header.logicalIndex(position));
  }
  return layout;
}

QString ExportName(const char* suffix) { return ToQString(app::kProductName) + QLatin1StringView(suffix); }

}  // namespace tavrek::ui
