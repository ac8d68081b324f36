#pragma once
// The change log as a table: newest row on top. The session's log grows on
// its own; Flush() tells the view about every row added since the last flush
// in one insertion, so a burst of events costs the view one update.
#include <QAbstractTableModel>

#include "core/engine/change_log.h"

namespace tavrek::ui {

class ChangeLogModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit ChangeLogModel(const engine::ChangeLog& log, QObject* parent = nullptr);

  // Announces the rows added since the last flush; returns how many.
  size_t Flush();
  // The log was cleared.
  void Reset();

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // The log row behind a table row.
  size_t LogIndex(int row) const { return shown_ - 1 - static_cast<size_t>(row); }
  QString Path(int row) const;

 private:
  const engine::ChangeLog& log_;
  size_t shown_ = 0;  // rows the view knows of: the oldest `shown_` rows of the log
};

}  // namespace tavrek::ui
