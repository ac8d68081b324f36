#include "ui/window/access_overview_model.h"

#include "core/platform/visible_text.h"
#include "ui/common/text.h"
#include "ui/lists/raw_path_role.h"
#include "ui/window/action_icons.h"

namespace tavrek::ui {

AccessOverviewModel::AccessOverviewModel(const engine::AccessOverview& overview, QObject* parent)
    : QAbstractTableModel(parent), overview_(overview) {}

void AccessOverviewModel::Flush() {
  if (overview_.size() < shown_) {
    Reset();
    return;
  }
  if (overview_.size() > shown_) {
    beginInsertRows({}, static_cast<int>(shown_), static_cast<int>(overview_.size()) - 1);
    shown_ = overview_.size();
    endInsertRows();
  }
  // Times of rows already shown change too; the view repaints what it shows.
  if (shown_ > 0) {
    emit dataChanged(index(0, 0), index(static_cast<int>(shown_) - 1,
                                        engine::kOverviewColumnCount - 1));
  }
}

void AccessOverviewModel::Reset() {
  beginResetModel();
  shown_ = overview_.size();
  endResetModel();
}

int AccessOverviewModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(shown_);
}

int AccessOverviewModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : engine::kOverviewColumnCount;
}

QVariant AccessOverviewModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || static_cast<size_t>(index.row()) >= shown_) return {};
  const size_t row = static_cast<size_t>(index.row());
  if (role == Qt::DisplayRole && index.column() != engine::kOverviewColumnImage) {
    return ToQString(platform::VisibleText(overview_.CellText(row, index.column())));
  }
  if (role == kRawPathRole) {
    const std::string_view path = overview_.Path(row);
    return QByteArray(path.data(), static_cast<qsizetype>(path.size()));
  }
  if (role == Qt::DecorationRole && index.column() == engine::kOverviewColumnImage) {
    const QIcon& icon = ActionIcon(overview_.Image(row));
    return icon.isNull() ? QVariant() : QVariant(icon);
  }
  return {};
}

QVariant AccessOverviewModel::headerData(int section, Qt::Orientation orientation,
                                         int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section == engine::kOverviewColumnPath) return QStringLiteral("Datei");
  if (section >= engine::kOverviewColumnFirstSlot && section < engine::kOverviewColumnCount) {
    return ToQString(engine::kSlotHeaders[static_cast<size_t>(section - engine::kOverviewColumnFirstSlot)]);
  }
  return section == engine::kOverviewColumnImage ? QVariant(QString()) : QVariant();
}

QString AccessOverviewModel::Path(int row) const {
  if (row < 0 || static_cast<size_t>(row) >= shown_) return {};
  return ToQString(overview_.Path(static_cast<size_t>(row)));
}

}  // namespace tavrek::ui
