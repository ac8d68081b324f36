#include "core/lists/access_lists.h"

#include <string>

namespace tavrek::lists {
namespace {

void AddSlotColumns(ListColumns& layout) {
  for (std::string_view title : engine::kSlotHeaders) {
    layout.columns.push_back({std::string(title), kAccessSlotWidth});
  }
}

}  // namespace

ListColumns DefaultAccessOverviewColumns() {
  ListColumns layout;
  layout.columns = {{"", kAccessImageWidth}, {"Datei", kAccessNameWidth}};
  AddSlotColumns(layout);
  return layout;
}

ListColumns DefaultAccessTreeColumns() {
  ListColumns layout;
  layout.columns = {{"Datei", kAccessNameWidth}};
  AddSlotColumns(layout);
  return layout;
}

FlatListSource AccessOverviewList(const engine::AccessOverview& overview, ListColumns layout) {
  FlatListSource list;
  list.layout = std::move(layout);
  list.rowCount = overview.size();
  list.cell = [&overview](size_t row, int column, std::string& text) {
    text = overview.CellText(row, column);
  };
  return list;
}

TreeListSource AccessTreeList(const engine::AccessTree& tree,
                              std::function<bool(TreeNodeId node)> isExpanded, ListColumns layout) {
  TreeListSource source;
  source.layout = std::move(layout);
  source.root = engine::kRootNode;
  source.childCount = [&tree](TreeNodeId node) {
    return tree.Children(static_cast<engine::NodeId>(node)).size();
  };
  source.child = [&tree](TreeNodeId node, size_t index) -> TreeNodeId {
    return tree.Children(static_cast<engine::NodeId>(node))[index];
  };
  if (!isExpanded) isExpanded = [](TreeNodeId) { return true; };
  source.isExpanded = std::move(isExpanded);
  source.cell = [&tree](TreeNodeId node, int column, std::string& text) {
    text = tree.CellText(static_cast<engine::NodeId>(node), column);
  };
  return source;
}

}  // namespace tavrek::lists
