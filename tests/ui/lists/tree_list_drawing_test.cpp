// Renders a tree list and reads its pixels: grid lines, bars and the
// full-row selection mark must actually reach the screen.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QImage>
#include <QStandardItemModel>
#include <QTest>

#include "ui/lists/tree_list.h"
#include "ui/lists/tree_list_painting.h"

namespace tavrek::ui {
namespace {

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

TEST_F(TreeListDrawingTest, GridLinesAppearAtColumnEdgesOnlyWhenOn) {
  const int edge = ColumnLeft(0) + kColumnWidth - 1;
  const QRect row = list_.visualRect(model_.index(0, 2));
  const QPoint bottom(row.center().x(), row.bottom());

  list_.setGridLines(false);
  EXPECT_EQ(PixelAt(edge, RowMiddle(0)), Base());
  EXPECT_EQ(PixelAt(bottom.x(), bottom.y()), Base());

  list_.setGridLines(true);
  EXPECT_EQ(PixelAt(edge, RowMiddle(0)), GridLineColour(Base()));
  EXPECT_EQ(PixelAt(bottom.x(), bottom.y()), GridLineColour(Base()));
  EXPECT_EQ(PixelAt(edge - 1, RowMiddle(0)), Base());  // one pixel wide
}

TEST_F(TreeListDrawingTest, BarCoversTheShareItsTextHolds) {
  const int beforeHalf = ColumnLeft(1) + kColumnWidth * 4 / 10;
  const int afterHalf = ColumnLeft(1) + kColumnWidth * 6 / 10;

  EXPECT_EQ(PixelAt(beforeHalf, RowMiddle(1)), Base());  // not a bar column yet
  list_.setBarColumn(1, true);
  EXPECT_EQ(PixelAt(beforeHalf, RowMiddle(1)), BarColour(false));
  EXPECT_EQ(PixelAt(afterHalf, RowMiddle(1)), Base());
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
