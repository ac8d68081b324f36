#include "ui/lists/list_behaviour.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <vector>


namespace tavrek::ui {
namespace {

// A flat list of our own: one text per row, shown in two columns.
class RowsModel : public QAbstractTableModel {
 public:
  explicit RowsModel(std::vector<QString> rows) : rows_(std::move(rows)) {}

  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
  }
  int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 2; }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || role != Qt::DisplayRole) return {};
    return rows_[index.row()];
  }
  bool removeRows(int row, int count, const QModelIndex& parent) override {
    if (parent.isValid() || row < 0 || count <= 0 || row + count > rowCount(parent)) return false;
    beginRemoveRows(parent, row, row + count - 1);
    rows_.erase(rows_.begin() + row, rows_.begin() + row + count);
    endRemoveRows();
    return true;
  }

 private:
  std::vector<QString> rows_;
};

QString Label(int row) { return QStringLiteral("row %1").arg(row); }

std::vector<QString> Labels(int count) {
  std::vector<QString> labels;
  for (int row = 0; row < count; ++row) labels.push_back(Label(row));
  return labels;
}

QStringList FirstColumn(const QAbstractItemModel& model) {
  QStringList texts;
  for (int row = 0; row < model.rowCount(); ++row) texts << model.index(row, 0).data().toString();
  return texts;
}

void FillStandardModel(QStandardItemModel& model, int rows) {
  for (const QString& label : Labels(rows)) {
    model.appendRow({new QStandardItem(label), new QStandardItem(label)});
  }
}

constexpr int kRows = 10;

TEST(ListBehaviourTest, DeletesSelectedRowsAndKeepsTheOthersInOrder) {
  QStandardItemModel standard;
  FillStandardModel(standard, kRows);
  RowsModel own(Labels(kRows));
  QAbstractItemModelTester tester(&own, QAbstractItemModelTester::FailureReportingMode::Fatal);
  QTableView standardView, ownView;
  standardView.setModel(&standard);
  ownView.setModel(&own);
  QTableWidget widget(kRows, 1);
  for (int row = 0; row < kRows; ++row) widget.setItem(row, 0, new QTableWidgetItem(Label(row)));
  for (QAbstractItemView* view : std::initializer_list<QAbstractItemView*>{&standardView, &ownView, &widget}) {
    SCOPED_TRACE(view->model()->metaObject()->className());
    EXPECT_EQ(DeleteSelectedRows(*view), 0);  // nothing selected yet
    for (int row : {7, 2, 3}) {
      view->selectionModel()->select(view->model()->index(row, 0),
                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    EXPECT_EQ(DeleteSelectedRows(*view), 3);
    EXPECT_EQ(FirstColumn(*view->model()),
              QStringList({Label(0), Label(1), Label(4), Label(5), Label(6), Label(8), Label(9)}));
  }
  QTableView empty;
  EXPECT_EQ(DeleteSelectedRows(empty), 0);  // no model at all
}

class FlatAutoSizeTest : public ::testing::Test {
 protected:
  void Show(QAbstractItemModel& model) {
    view_.setModel(&model);
    view_.resize(400, 300);
    view_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view_));
  }
  QTableView view_;
};

TEST_F(FlatAutoSizeTest, HeaderTextCountsOnlyWhenAsked) {
  QStandardItemModel model;
  FillStandardModel(model, 3);
  model.setHorizontalHeaderLabels({QStringLiteral("Eine recht lange Spaltenüberschrift"),
                                   QStringLiteral("Noch eine lange Überschrift")});
  const QString wide = QStringLiteral("an item wider than its column header ever is");
  model.setItem(1, 1, new QStandardItem(wide));
  Show(model);
  const QHeaderView& header = *view_.horizontalHeader();
  const int wideItem = view_.sizeHintForIndex(model.index(1, 1)).width();

  AutoSizeColumns(view_, true);
  EXPECT_GE(view_.columnWidth(0), header.sectionSizeHint(0));
  EXPECT_GE(view_.columnWidth(1), wideItem);
  AutoSizeColumns(view_, false);
  EXPECT_LT(view_.columnWidth(0), header.sectionSizeHint(0));
  EXPECT_GE(view_.columnWidth(1), wideItem);
}

TEST_F(FlatAutoSizeTest, MeasuresOnlyTheRowsAroundTheView) {
  constexpr int kManyRows = 20000;
  constexpr int kFarRow = 15000;
  std::vector<QString> rows = Labels(kManyRows);
  rows[kFarRow] = QStringLiteral("a far-away row whose text is wider than all the others");
  RowsModel model(std::move(rows));
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  Show(model);
  const int farWidth = view_.sizeHintForIndex(model.index(kFarRow, 0)).width();

  AutoSizeColumns(view_, false);
  EXPECT_LT(view_.columnWidth(0), farWidth);
  view_.scrollTo(model.index(kFarRow, 0));
  AutoSizeColumns(view_, false);
  EXPECT_GE(view_.columnWidth(0), farWidth);
}

}  // namespace
}  // namespace tavrek::ui
