#pragma once
// The simple access overview as a table: one row per path in the order of
// first appearance. Flush() announces new rows and refreshes changed ones.
#include <QAbstractTableModel>

#include "core/engine/statistics/access_overview.h"

namespace tavrek::ui {

class AccessOverviewModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit AccessOverviewModel(const engine::AccessOverview& overview, QObject* parent = nullptr);

  void Flush();
  void Reset();

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  QString Path(int row) const;

 private:
  const engine::AccessOverview& overview_;
  size_t shown_ = 0;
};

}  // namespace tavrek::ui
