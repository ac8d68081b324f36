// The tree list's columns, header and bars; the drawing tests render it and
// read its pixels: grid lines, bars and the full-row selection mark must
// actually reach the screen.
#include "ui/lists/tree_list.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QImage>
#include <QStandardItemModel>
#include <QTest>
#include <optional>

#include "ui/common/dialogs.h"
#include "ui/lists/tree_list_painting.h"

namespace tavrek::ui {
namespace {

constexpr int kAutoSizeMargin = 8;

QList<QStandardItem*> Row(const QStringList& texts) {
  QList<QStandardItem*> items;
  for (const QString& text : texts) items.append(new QStandardItem(text));
  return items;
}

// Labels of the rows the tree shows, top to bottom.
QStringList ShownLabels(const TreeList& list) {
  QStringList labels;
  for (QModelIndex row = list.model()->index(0, 0); row.isValid(); row = list.indexBelow(row)) {
    labels << row.data().toString();
  }
  return labels;
}

class TreeListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Dialogs::Reset();
    model_.setHorizontalHeaderLabels(
        {QStringLiteral("Pfad"), QStringLiteral("Anzahl"), QStringLiteral("Zeit")});
    list_.setModel(&model_);
    list_.resize(kWidth, kHeight);
  }

  int TextNeed(const QString& text) const {
    return list_.fontMetrics().horizontalAdvance(text + QStringLiteral("W")) + kAutoSizeMargin;
  }

  static constexpr int kWidth = 640;
  static constexpr int kHeight = 400;
  QStandardItemModel model_;
  TreeList list_;
};

TEST_F(TreeListTest, HeaderClickAsksTheHookAndNeverReordersRows) {
  for (const char* label : {"zeta", "alpha", "mu"}) {
    QList<QStandardItem*> parent = Row({QString::fromLatin1(label), QStringLiteral("1")});
    parent.front()->appendRow(Row({QStringLiteral("child of ") + QString::fromLatin1(label)}));
    model_.appendRow(parent);
  }
  list_.expandAll();
  list_.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&list_));
  const QStringList before = ShownLabels(list_);
  QHeaderView& header = *list_.header();
  const QPoint onSection(header.sectionViewportPosition(1) + header.sectionSize(1) / 2, header.height() / 2);
  // Without a hook, or when the hook did not sort, the click is answered with a message.
  for (const std::optional<bool> hookSorts : {std::optional<bool>(), std::optional(false), std::optional(true)}) {
    Dialogs::Reset();
    std::vector<int> asked;
    list_.setSortHook(nullptr);
    if (hookSorts) list_.setSortHook([&](int column) { asked.push_back(column); return *hookSorts; });
    QTest::mouseClick(header.viewport(), Qt::LeftButton, {}, onSection);
    EXPECT_EQ(ShownLabels(list_), before);
    EXPECT_EQ(asked, hookSorts ? std::vector<int>{1} : std::vector<int>{});
    const bool messageShown = !hookSorts.value_or(false);
    ASSERT_EQ(Dialogs::messages().size(), messageShown ? 1u : 0u);
    if (messageShown) {
      EXPECT_EQ(Dialogs::messages().front().text, QStringLiteral("Add Sotr Function ;)"));
    }
  }
}

// Hidden columns get no width, the others at least the minimum, the header's
// text only when asked.
TEST_F(TreeListTest, AutoSizeHonoursHiddenColumnsTheMinimumAndTheHeaderWhenAsked) {
  list_.setHiddenForAutoSize(2, true);
  list_.AutoSizeColumns(false);  // no rows: nothing to measure
  EXPECT_EQ(list_.columnWidth(0), TreeList::kMinAutoWidth);
  EXPECT_EQ(list_.columnWidth(2), 0);

  const QStringList headers = {QStringLiteral("Eine recht lange Spaltenüberschrift"),
                               QStringLiteral("Noch eine lange Überschrift"), QStringLiteral("Zeit")};
  model_.setHorizontalHeaderLabels(headers);
  model_.appendRow(Row({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("a long text in the hidden column")}));
  list_.AutoSizeColumns(true);
  for (int column = 0; column < 2; ++column) {
    EXPECT_GE(list_.columnWidth(column), TextNeed(headers[column])) << column;
  }
  EXPECT_EQ(list_.columnWidth(2), 0);
  list_.AutoSizeColumns(false);
  for (int column = 0; column < 2; ++column) {
    EXPECT_LT(list_.columnWidth(column), TextNeed(headers[column])) << column;
    EXPECT_GE(list_.columnWidth(column), TreeList::kMinAutoWidth) << column;
  }
}

TEST_F(TreeListTest, RowsInsideCollapsedParentsDoNotWidenColumns) {
  const QString longChild = QStringLiteral("a child label far longer than its parent's");
  const QString longValue = QStringLiteral("a value far longer than any other in the column");
  QList<QStandardItem*> parent = Row({QStringLiteral("p"), QStringLiteral("1")});
  QList<QStandardItem*> child = Row({QStringLiteral("q"), QStringLiteral("2")});
  child.front()->appendRow(Row({longChild, longValue}));
  parent.front()->appendRow(child);
  model_.appendRow(parent);
  const QModelIndex parentIndex = model_.index(0, 0);
  const QModelIndex childIndex = model_.index(0, 0, parentIndex);

  list_.expand(parentIndex);  // the child row shows, its own child stays inside it
  list_.AutoSizeColumns(false);
  EXPECT_LT(list_.columnWidth(0), TextNeed(longChild));
  EXPECT_LT(list_.columnWidth(1), TextNeed(longValue));

  list_.expand(childIndex);
  list_.AutoSizeColumns(false);
  // Two levels deep below a decorated root: three indentations before the label.
  EXPECT_GE(list_.columnWidth(0), TextNeed(longChild) + 3 * list_.indentation());
  EXPECT_GE(list_.columnWidth(1), TextNeed(longValue));
}

TEST_F(TreeListTest, UsesAtMostTheFirst160Columns) {
  QStandardItemModel wide(2, 200);
  list_.setModel(&wide);
  EXPECT_EQ(list_.ColumnCount(), TreeList::kMaxColumns);
  EXPECT_FALSE(list_.isColumnHidden(TreeList::kMaxColumns - 1));
  EXPECT_TRUE(list_.isColumnHidden(TreeList::kMaxColumns));
  EXPECT_TRUE(list_.isColumnHidden(199));
  list_.setColumnWidth(170, 77);
  list_.AutoSizeColumns(true);
  EXPECT_EQ(list_.header()->sectionSize(170), 0);  // hidden, untouched by auto-size
  for (int column : {-1, TreeList::kMaxColumns, 100000}) {  // flags outside the table are ignored
    list_.setBarColumn(column, true);
    list_.setHiddenForAutoSize(column, true);
    EXPECT_FALSE(list_.isBarColumn(column) || list_.isHiddenForAutoSize(column)) << column;
  }

  list_.setModel(nullptr);
  EXPECT_EQ(list_.ColumnCount(), 0);
  list_.AutoSizeColumns(true);  // nothing to do, nothing breaks
}

TEST(BarValueTest, ReadsDigitsAndTheFirstSeparator) {
  struct Case {
    const char* text;
    double value;
  };
  for (const Case& c :
       {Case{"12,5 %", 12.5}, Case{"abc", 0.0}, Case{"100", 100.0},
        // A second separator is skipped like any other character.
        Case{"1.2.3", 1.23}, Case{"", 0.0}, Case{"0,05", 0.05}, Case{"75%", 75.0},
        Case{" 3 . 7 x", 3.7}, Case{",5", 0.5}, Case{"1,000000000000000000009", 1.0}}) {
    EXPECT_DOUBLE_EQ(BarValue(QString::fromUtf8(c.text)), c.value) << c.text;
  }
}

constexpr int kColumnWidth = 200;

class TreeListDrawingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    model_.setHorizontalHeaderLabels(
        {QStringLiteral("Pfad"), QStringLiteral("Anteil"), QStringLiteral("Leer")});
    for (const char* label : {"a", "b", "c"}) {
      model_.appendRow({new QStandardItem(QString::fromLatin1(label)),
                        new QStandardItem(QStringLiteral("50 %")), new QStandardItem()});
    }
    list_.setModel(&model_);
    for (int column = 0; column < 3; ++column) list_.setColumnWidth(column, kColumnWidth);
    list_.resize(3 * kColumnWidth + 40, 300);
    list_.setFocusPolicy(Qt::NoFocus);  // no focused row unless a test asks for one
    list_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list_));
  }

  QColor PixelAt(int x, int y) { return list_.viewport()->grab().toImage().pixelColor(x, y); }
  QColor Base() const { return list_.palette().color(QPalette::Base); }
  int ColumnLeft(int column) const { return list_.header()->sectionViewportPosition(column); }
  int RowMiddle(int row) const { return list_.visualRect(model_.index(row, 0)).center().y(); }

  QStandardItemModel model_;
  TreeList list_;
};

TEST_F(TreeListDrawingTest, GridLinesAndBarsAppearOnlyWhenOn) {
  const int edge = ColumnLeft(0) + kColumnWidth - 1;
  const QRect row = list_.visualRect(model_.index(0, 2));
  const int beforeHalf = ColumnLeft(1) + kColumnWidth * 4 / 10;
  for (const QPoint point : {QPoint(edge, RowMiddle(0)), QPoint(row.center().x(), row.bottom()),
                             QPoint(beforeHalf, RowMiddle(1))}) {
    EXPECT_EQ(PixelAt(point.x(), point.y()), Base());
  }
  list_.setGridLines(true);
  EXPECT_EQ(PixelAt(edge, RowMiddle(0)), GridLineColour(Base()));
  EXPECT_EQ(PixelAt(row.center().x(), row.bottom()), GridLineColour(Base()));
  EXPECT_EQ(PixelAt(edge - 1, RowMiddle(0)), Base());  // one pixel wide

  list_.setGridLines(false);
  list_.setBarColumn(1, true);  // the bar covers the share its text holds
  EXPECT_EQ(PixelAt(beforeHalf, RowMiddle(1)), BarColour(false));
  EXPECT_EQ(PixelAt(ColumnLeft(1) + kColumnWidth * 6 / 10, RowMiddle(1)), Base());
}

TEST_F(TreeListDrawingTest, FocusedRowHasTheDarkBarOutsideFullRowMode) {
  list_.setBarColumn(1, true);
  list_.setFocusPolicy(Qt::StrongFocus);
  list_.activateWindow();
  list_.setFocus();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&list_));
  list_.setCurrentIndex(model_.index(1, 0));
  ASSERT_TRUE(list_.hasFocus());
  const int onBar = ColumnLeft(1) + kColumnWidth * 4 / 10;

  EXPECT_EQ(PixelAt(onBar, RowMiddle(1)), BarColour(true));
  EXPECT_EQ(PixelAt(onBar, RowMiddle(2)), BarColour(false));
  list_.setFullRowMode(true);
  list_.clearSelection();
  // The light bar, under the style's own focus frame.
  EXPECT_NE(PixelAt(onBar, RowMiddle(1)), BarColour(true));
}

TEST_F(TreeListDrawingTest, SelectionMarksTheWholeRowOnlyInFullRowMode) {
  list_.setCurrentIndex(model_.index(0, 0));
  ASSERT_TRUE(list_.selectionModel()->isSelected(model_.index(0, 0)));
  const QPoint emptyCell(ColumnLeft(2) + kColumnWidth / 2, RowMiddle(0));
  const QColor highlight = list_.palette().color(QPalette::Highlight);

  EXPECT_EQ(PixelAt(emptyCell.x(), emptyCell.y()), Base());  // columns from 1 stay plain
  list_.setFullRowMode(true);
  const QColor marked = PixelAt(emptyCell.x(), emptyCell.y());
  EXPECT_NE(marked, Base());
  EXPECT_NE(marked, highlight);  // a light veil, not Qt's own selection fill
  list_.setTransparentMarking(true);
  EXPECT_EQ(PixelAt(emptyCell.x(), emptyCell.y()), Base());  // only outlines remain
  EXPECT_EQ(PixelAt(ColumnLeft(2) + kColumnWidth / 2, RowMiddle(1)), Base());  // unselected row
}

}  // namespace
}  // namespace tavrek::ui
