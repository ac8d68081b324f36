#include "core/lists/tree_text.h"

#include <algorithm>
#include <array>
#include <vector>

#include "core/lists/field_text.h"

namespace tavrek::lists {
namespace {

struct Level {
  TreeNodeId parent;
  size_t next;
  size_t count;
};

// For each level above the item: "|" while that level's item has a sibling
// still to come, else a blank, then two blanks; below the top level a "+"
// for an item with children, else a blank.
void AppendPrefix(std::string& line, const std::array<bool, kTrackedTreeLevels>& following,
                  size_t depth, bool hasChildren) {
  for (size_t level = 0; level < depth; ++level) {
    line += (level < kTrackedTreeLevels && following[level]) ? '|' : ' ';
    line += "  ";
  }
  if (depth > 0) line += hasChildren ? '+' : ' ';
}

size_t ColumnCount(const TreeListSource& tree) {
  return std::min(tree.layout.columns.size(), kMaxTreeColumns);
}

void AppendCells(std::string& line, const TreeListSource& tree, TreeNodeId node,
                 std::string& text) {
  for (size_t column = 0; column < ColumnCount(tree); ++column) {
    text.clear();
    if (tree.cell) tree.cell(node, static_cast<int>(column), text);
    AppendShownText(line, text);
    line += '\t';
  }
}

std::string HeaderLine(const TreeListSource& tree) {
  std::string line;
  for (size_t column = 0; column < ColumnCount(tree); ++column) {
    AppendShownText(line, tree.layout.columns[column].title);
    line += '\t';
  }
  return line;
}

}  // namespace

void VisitTreeLines(const TreeListSource& tree, const TreeLineVisitor& visit) {
  if (!visit(HeaderLine(tree))) return;
  std::array<bool, kTrackedTreeLevels> following{};
  std::vector<Level> levels{{tree.root, 0, tree.childCount(tree.root)}};
  std::string line;
  std::string text;
  while (!levels.empty()) {
    Level& level = levels.back();
    if (level.next == level.count) {
      levels.pop_back();
      continue;
    }
    const size_t depth = levels.size() - 1;
    const TreeNodeId node = tree.child(level.parent, level.next++);
    if (depth < kTrackedTreeLevels) following[depth] = level.next < level.count;
    const size_t children = tree.childCount(node);
    line.clear();
    AppendPrefix(line, following, depth, children > 0);
    AppendCells(line, tree, node, text);
    if (!visit(line)) return;
    if (children > 0 && (!tree.isExpanded || tree.isExpanded(node)))
      levels.push_back({node, 0, children});
  }
}

std::string RenderTreeText(const TreeListSource& tree) {
  std::string text;
  bool header = true;
  VisitTreeLines(tree, [&](std::string_view line) {
    text.append(line);
    text.append(header ? "\n" : "\r\n");
    header = false;
    return true;
  });
  return text;
}

}  // namespace tavrek::lists
