#include "ui/window/change_log_model.h"

#include <array>

#include "core/lists/change_log_columns.h"
#include "core/platform/visible_text.h"
#include "ui/common/text.h"
#include "ui/lists/raw_path_role.h"
#include "ui/window/action_icons.h"

namespace tavrek::ui {

ChangeLogModel::ChangeLogModel(const engine::ChangeLog& log, QObject* parent)
    : QAbstractTableModel(parent), log_(log) {}

size_t ChangeLogModel::Flush() {
  if (log_.size() < shown_) {
    Reset();
    return log_.size();
  }
  const size_t added = log_.size() - shown_;
  if (added == 0) return 0;
  beginInsertRows({}, 0, static_cast<int>(added) - 1);
  shown_ = log_.size();
  endInsertRows();
  return added;
}

void ChangeLogModel::Reset() {
  beginResetModel();
  shown_ = log_.size();
  endResetModel();
}

int ChangeLogModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(shown_);
}

int ChangeLogModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : engine::kLogColumnCount;
}

QVariant ChangeLogModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || static_cast<size_t>(index.row()) >= shown_) return {};
  const size_t row = LogIndex(index.row());
  if (role == Qt::DisplayRole && index.column() != engine::kLogColumnImage) {
    return ToQString(platform::VisibleText(log_.CellText(row, index.column())));
  }
  if (role == kRawPathRole) {
    const std::string_view path = log_.Path(row);
    return QByteArray(path.data(), static_cast<qsizetype>(path.size()));
  }
  if (role == Qt::DecorationRole && index.column() == engine::kLogColumnImage) {
    const QIcon& icon = ActionIcon(log_.Image(row));
    return icon.isNull() ? QVariant() : QVariant(icon);
  }
  return {};
}

QVariant ChangeLogModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section < 0 || section >= engine::kLogColumnCount) return {};
  return ToQString(lists::kChangeLogColumns[static_cast<size_t>(section)].title);
}

QString ChangeLogModel::Path(int row) const {
  if (row < 0 || static_cast<size_t>(row) >= shown_) return {};
  return ToQString(log_.Path(LogIndex(row)));
}

}  // namespace tavrek::ui
