#pragma once
// The grouped access statistics as a tree model: a node's id is its internal
// id. New nodes are announced in Flush(), one insertion per parent that gained
// children, so expanded branches and the selection survive growth.
#include <QAbstractItemModel>
#include <vector>

#include "core/window/access_tree.h"

namespace tavrek::ui {

class AccessTreeModel : public QAbstractItemModel {
  Q_OBJECT

 public:
  explicit AccessTreeModel(const window::AccessTree& tree, QObject* parent = nullptr);

  void Flush();
  void Reset();

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  window::NodeId NodeOf(const QModelIndex& index) const;
  QModelIndex IndexOf(window::NodeId node, int column = 0) const;

 private:
  const window::AccessTree& tree_;
  // Children of each node the view knows of; nodes from `announced_` on are new.
  std::vector<uint32_t> shownChildren_;
  window::NodeId announced_ = 1;
};

}  // namespace tavrek::ui
