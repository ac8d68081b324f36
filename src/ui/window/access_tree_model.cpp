#include "ui/window/access_tree_model.h"

#include <algorithm>
#include <tuple>

#include "core/platform/visible_text.h"
#include "ui/common/text.h"
#include "ui/window/action_icons.h"

namespace tavrek::ui {
namespace {

constexpr int kColumnCount = 1 + engine::kSlotCount;

}  // namespace

AccessTreeModel::AccessTreeModel(engine::AccessTree& tree, QObject* parent)
    : QAbstractItemModel(parent), tree_(tree) {
  Reset();
}

void AccessTreeModel::Reset() {
  beginResetModel();
  const size_t total = tree_.NodeCount() + 1;
  shownChildren_.assign(total, 0);
  for (size_t id = 0; id < total; ++id) {
    const auto node = static_cast<engine::NodeId>(id);
    shownChildren_[id] = static_cast<uint32_t>(tree_.Children(node).size());
  }
  announced_ = static_cast<engine::NodeId>(total);
  tree_.TakeChanged();  // the view asks everything afresh
  endResetModel();
}

void AccessTreeModel::RefreshAll() {
  for (engine::NodeId id = 0; id < announced_; ++id) {
    if (shownChildren_[id] > 0) RepaintRows(id, 0, shownChildren_[id] - 1);
  }
}

void AccessTreeModel::RepaintRows(engine::NodeId parent, uint32_t first, uint32_t last) {
  const QModelIndex owner = IndexOf(parent);
  emit dataChanged(index(static_cast<int>(first), 0, owner),
                   index(static_cast<int>(last), kColumnCount - 1, owner));
}

// Counts change at every level of a path, not only at the top: each changed
// node the view knows is repainted, neighbours of one parent in one signal.
void AccessTreeModel::RepaintChanged(std::vector<engine::NodeId> changed) {
  std::erase_if(changed, [this](engine::NodeId id) { return id >= announced_; });
  // Siblings are numbered in row order, so (parent, id) sorts by row.
  std::sort(changed.begin(), changed.end(), [this](engine::NodeId a, engine::NodeId b) {
    return std::pair(tree_.node(a).parent, a) < std::pair(tree_.node(b).parent, b);
  });
  size_t begin = 0;
  while (begin < changed.size()) {
    const engine::NodeId parent = tree_.node(changed[begin]).parent;
    const uint32_t firstRow = tree_.RowOf(changed[begin]);
    uint32_t lastRow = firstRow;
    size_t end = begin + 1;
    while (end < changed.size() && tree_.node(changed[end]).parent == parent &&
           tree_.RowOf(changed[end]) == lastRow + 1) {
      ++lastRow;
      ++end;
    }
    RepaintRows(parent, firstRow, lastRow);
    begin = end;
  }
}

void AccessTreeModel::Flush() {
  if (tree_.NodeCount() + 1 < announced_) {
    Reset();
    return;
  }
  // Taken before the new nodes are announced: those are painted as inserted.
  std::vector<engine::NodeId> changed = tree_.TakeChanged();
  AnnounceNewNodes();
  RepaintChanged(std::move(changed));
}

void AccessTreeModel::AnnounceNewNodes() {
  const engine::NodeId total = static_cast<engine::NodeId>(tree_.NodeCount() + 1);
  // New nodes are invisible until their first known ancestor announces them,
  // so their own children can be set at once.
  shownChildren_.resize(total, 0);
  std::vector<engine::NodeId> grownParents;
  for (engine::NodeId id = announced_; id < total; ++id) {
    shownChildren_[id] = static_cast<uint32_t>(tree_.Children(id).size());
    const engine::NodeId parent = tree_.node(id).parent;
    if (parent < announced_ && (grownParents.empty() || grownParents.back() != parent)) {
      grownParents.push_back(parent);
    }
  }
  announced_ = total;
  for (engine::NodeId parent : grownParents) {
    const uint32_t known = shownChildren_[parent];
    const uint32_t now = static_cast<uint32_t>(tree_.Children(parent).size());
    if (now <= known) continue;  // listed twice: already announced
    beginInsertRows(IndexOf(parent), static_cast<int>(known), static_cast<int>(now) - 1);
    shownChildren_[parent] = now;
    endInsertRows();
  }
}

engine::NodeId AccessTreeModel::NodeOf(const QModelIndex& index) const {
  return index.isValid() ? static_cast<engine::NodeId>(index.internalId()) : engine::kRootNode;
}

QModelIndex AccessTreeModel::IndexOf(engine::NodeId node, int column) const {
  if (node == engine::kRootNode || node >= announced_) return {};
  return createIndex(static_cast<int>(tree_.RowOf(node)), column, static_cast<quintptr>(node));
}

QModelIndex AccessTreeModel::index(int row, int column, const QModelIndex& parent) const {
  const engine::NodeId owner = NodeOf(parent);
  if (row < 0 || column < 0 || column >= kColumnCount) return {};
  if (owner >= announced_ || static_cast<uint32_t>(row) >= shownChildren_[owner]) return {};
  const engine::NodeId child = tree_.Children(owner)[static_cast<size_t>(row)];
  return createIndex(row, column, static_cast<quintptr>(child));
}

QModelIndex AccessTreeModel::parent(const QModelIndex& child) const {
  if (!child.isValid()) return {};
  return IndexOf(tree_.node(NodeOf(child)).parent);
}

int AccessTreeModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() && parent.column() != 0) return 0;
  const engine::NodeId owner = NodeOf(parent);
  return owner < announced_ ? static_cast<int>(shownChildren_[owner]) : 0;
}

int AccessTreeModel::columnCount(const QModelIndex&) const { return kColumnCount; }

QVariant AccessTreeModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const engine::NodeId node = NodeOf(index);
  if (role == Qt::DisplayRole) return ToQString(platform::VisibleText(tree_.CellText(node, index.column())));
  if (role == Qt::DecorationRole && index.column() == 0) {
    const QIcon& icon = ActionIcon(tree_.node(node).latestAction);
    return icon.isNull() ? QVariant() : QVariant(icon);
  }
  return {};
}

QVariant AccessTreeModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section == 0) return QStringLiteral("Datei");
  if (section > 0 && section < kColumnCount) {
    return ToQString(engine::kSlotHeaders[static_cast<size_t>(section - 1)]);
  }
  return {};
}

}  // namespace tavrek::ui
