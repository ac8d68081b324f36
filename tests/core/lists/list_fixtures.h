#pragma once
// Small lists and trees held in plain vectors, to export in tests.
#include <string>
#include <vector>

#include "core/lists/export_types.h"

namespace tavrek::lists::testing {

using Rows = std::vector<std::vector<std::string>>;

struct ListData {
  ListColumns layout;
  Rows rows;

  FlatListSource Source() const {
    FlatListSource source;
    source.layout = layout;
    source.rowCount = rows.size();
    source.cell = [this](size_t row, int column, std::string& text) {
      text = rows[row][static_cast<size_t>(column)];
    };
    return source;
  }
};

inline ListColumns Columns(const std::vector<std::pair<std::string, int>>& columns,
                           std::vector<int> displayOrder = {}) {
  ListColumns layout;
  for (const auto& [title, width] : columns) layout.columns.push_back({title, width});
  layout.displayOrder = std::move(displayOrder);
  return layout;
}

// Node 0 is the invisible root.
struct TreeData {
  struct Node {
    std::vector<std::string> cells;
    std::vector<size_t> children;
    bool expanded = true;
  };
  ListColumns layout;
  std::vector<Node> nodes{Node{}};

  size_t Add(size_t parent, std::vector<std::string> cells, bool expanded = true) {
    nodes.push_back({std::move(cells), {}, expanded});
    nodes[parent].children.push_back(nodes.size() - 1);
    return nodes.size() - 1;
  }

  TreeListSource Source() const {
    TreeListSource source;
    source.layout = layout;
    source.root = 0;
    source.childCount = [this](TreeNodeId node) { return nodes[node].children.size(); };
    source.child = [this](TreeNodeId node, size_t index) { return nodes[node].children[index]; };
    source.isExpanded = [this](TreeNodeId node) { return nodes[node].expanded; };
    source.cell = [this](TreeNodeId node, int column, std::string& text) {
      const auto& cells = nodes[node].cells;
      if (static_cast<size_t>(column) < cells.size()) text = cells[static_cast<size_t>(column)];
    };
    return source;
  }
};

}  // namespace tavrek::lists::testing
