#include "core/engine/backend/inotify/directory_tree.h"

#include <functional>

namespace tavrek::engine {
namespace {

// Mixes the parent into the name's hash (golden-ratio multiplier).
constexpr size_t kParentMix = 0x9e3779b97f4a7c15ULL;
static_assert(ChildIndex::kEmpty == kNoNode, "a child not found is no node");

}  // namespace

size_t DirectoryTree::ChildKey(NodeId parent, std::string_view name) {
  return std::hash<std::string_view>{}(name) ^ (static_cast<size_t>(parent) * kParentMix);
}

void DirectoryTree::Reset(std::string rootPath, int32_t rootWd) {
  nodes_.clear();
  freeNodes_.clear();
  byWatch_.clear();
  byName_.Clear();
  Node& root = nodes_.emplace_back();
  root.name = std::move(rootPath);
  root.wd = rootWd;
  byWatch_.emplace(rootWd, kRootNode);
}

NodeId DirectoryTree::Add(int32_t wd, NodeId parent, std::string_view name) {
  NodeId node;
  if (!freeNodes_.empty()) {
    node = freeNodes_.back();
    freeNodes_.pop_back();
    nodes_[node] = Node{};
  } else {
    node = static_cast<NodeId>(nodes_.size());
    nodes_.emplace_back();
  }
  nodes_[node].wd = wd;
  byWatch_[wd] = node;
  Link(node, parent, name);
  return node;
}

NodeId DirectoryTree::FindByWatch(int32_t wd) const {
  auto found = byWatch_.find(wd);
  return found == byWatch_.end() ? kNoNode : found->second;
}

NodeId DirectoryTree::FindChild(NodeId parent, std::string_view name) const {
  return byName_.Find(ChildKey(parent, name), [&](NodeId candidate) {
    const Node& node = nodes_[candidate];
    return node.parent == parent && node.name == name;
  });
}

bool DirectoryTree::IsWithin(NodeId node, NodeId ancestor) const {
  for (NodeId current = node; current != kNoNode; current = nodes_[current].parent) {
    if (current == ancestor) return true;
  }
  return false;
}

void DirectoryTree::Move(NodeId node, NodeId newParent, std::string_view newName) {
  if (node == kRootNode || node >= nodes_.size() || newParent >= nodes_.size()) return;
  // The kernel refuses to move a folder below itself; only damaged records ask
  // for it, and following them would turn the tree into a cycle.
  if (IsWithin(newParent, node)) return;
  Unlink(node);
  Link(node, newParent, newName);
}

void DirectoryTree::Remove(NodeId node, std::vector<int32_t>& removedWatches) {
  if (node == kRootNode || node >= nodes_.size()) return;
  Unlink(node);
  // Depth first without recursion: trees may be deeper than the stack allows.
  std::vector<NodeId> pending{node};
  while (!pending.empty()) {
    NodeId current = pending.back();
    pending.pop_back();
    for (NodeId child = nodes_[current].firstChild; child != kNoNode;
         child = nodes_[child].nextSibling) {
      pending.push_back(child);
    }
    Release(current, removedWatches);
  }
}

void DirectoryTree::AppendPath(NodeId node, std::string& out) const {
  chain_.clear();
  for (NodeId current = node; current != kRootNode; current = nodes_[current].parent) {
    chain_.push_back(current);
  }
  out += nodes_[kRootNode].name;
  for (auto it = chain_.rbegin(); it != chain_.rend(); ++it) {
    out += nodes_[*it].name;
    out += '/';
  }
}

void DirectoryTree::Collect(NodeId top, std::vector<std::pair<NodeId, int32_t>>& out) const {
  std::vector<NodeId> pending{top};
  while (!pending.empty()) {
    const NodeId current = pending.back();
    pending.pop_back();
    out.emplace_back(current, nodes_[current].wd);
    for (NodeId child = nodes_[current].firstChild; child != kNoNode;
         child = nodes_[child].nextSibling) {
      pending.push_back(child);
    }
  }
}

void DirectoryTree::ChildrenOf(NodeId node, std::vector<NodeId>& out) const {
  for (NodeId child = nodes_[node].firstChild; child != kNoNode; child = nodes_[child].nextSibling) {
    out.push_back(child);
  }
}

void DirectoryTree::Link(NodeId node, NodeId parent, std::string_view name) {
  Node& entry = nodes_[node];
  entry.name.assign(name);
  entry.parent = parent;
  entry.previousSibling = kNoNode;
  entry.nextSibling = nodes_[parent].firstChild;
  if (entry.nextSibling != kNoNode) nodes_[entry.nextSibling].previousSibling = node;
  nodes_[parent].firstChild = node;
  byName_.Insert(ChildKey(parent, name), node);
}

void DirectoryTree::Unlink(NodeId node) {
  EraseNameEntry(node);
  Node& entry = nodes_[node];
  if (entry.previousSibling != kNoNode) {
    nodes_[entry.previousSibling].nextSibling = entry.nextSibling;
  } else {
    nodes_[entry.parent].firstChild = entry.nextSibling;
  }
  if (entry.nextSibling != kNoNode) nodes_[entry.nextSibling].previousSibling = entry.previousSibling;
  entry.parent = kNoNode;
  entry.nextSibling = entry.previousSibling = kNoNode;
}

void DirectoryTree::EraseNameEntry(NodeId node) {
  const Node& entry = nodes_[node];
  byName_.Erase(ChildKey(entry.parent, entry.name), node);
}

void DirectoryTree::Release(NodeId node, std::vector<int32_t>& removedWatches) {
  Node& entry = nodes_[node];
  auto found = byWatch_.find(entry.wd);
  if (found != byWatch_.end() && found->second == node) byWatch_.erase(found);
  removedWatches.push_back(entry.wd);
  // Children of a removed node are released with it; only the top one was
  // unlinked from the name index, so drop the others' entries here.
  if (entry.parent != kNoNode) EraseNameEntry(node);
  entry = Node{};
  freeNodes_.push_back(node);
}

}  // namespace tavrek::engine
