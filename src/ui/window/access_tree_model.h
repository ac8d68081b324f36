#pragma once
// The grouped access statistics as a tree model: a node's id is its internal
// id. New nodes are announced in Flush(), one insertion per parent that gained
// children, so expanded branches and the selection survive growth.
#include <QAbstractItemModel>
#include <vector>

#include "core/engine/statistics/access_tree.h"

namespace tavrek::ui {

class AccessTreeModel : public QAbstractItemModel {
  Q_OBJECT

 public:
  // The model takes the tree's list of changed nodes (AccessTree::TakeChanged).
  explicit AccessTreeModel(engine::AccessTree& tree, QObject* parent = nullptr);

  // Announces new nodes and repaints every node whose counts changed.
  void Flush();
  void Reset();
  // Every cell text changed (counts shown instead of times or back).
  void RefreshAll();

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  engine::NodeId NodeOf(const QModelIndex& index) const;
  QModelIndex IndexOf(engine::NodeId node, int column = 0) const;

 private:
  void AnnounceNewNodes();
  void RepaintChanged(std::vector<engine::NodeId> changed);
  // One dataChanged for rows first..last of a parent.
  void RepaintRows(engine::NodeId parent, uint32_t first, uint32_t last);

  engine::AccessTree& tree_;
  // Children of each node the view knows of; nodes from `announced_` on are new.
  std::vector<uint32_t> shownChildren_;
  engine::NodeId announced_ = 1;
};

}  // namespace tavrek::ui
