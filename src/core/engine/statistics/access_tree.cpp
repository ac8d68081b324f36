#include "core/engine/statistics/access_tree.h"

#include <algorithm>

namespace tavrek::engine {
namespace {

constexpr size_t kIndexThreshold = 16;
constexpr std::string_view kSeparator = "/";

}  // namespace

std::vector<std::string_view> PathComponents(std::string_view path) {
  std::vector<std::string_view> components;
  if (path.starts_with(kSeparator)) components.push_back(kSeparator);
  size_t start = 0;
  while (start < path.size()) {
    size_t end = std::min(path.find('/', start), path.size());
    if (end > start) components.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return components;
}

AccessTree::AccessTree() { Clear(); }

void AccessTree::Clear() {
  std::vector<AccessNode>().swap(nodes_);  // gives the memory back, not only the nodes
  std::vector<NodeId>().swap(changed_);
  texts_.Clear();
  nodes_.emplace_back();  // the invisible root
}

size_t AccessTree::BytesReserved() const {
  size_t bytes = nodes_.capacity() * sizeof(AccessNode) + changed_.capacity() * sizeof(NodeId);
  for (const AccessNode& node : nodes_) bytes += node.children.capacity() * sizeof(NodeId);
  return bytes + texts_.BytesReserved();
}

std::vector<NodeId> AccessTree::TakeChanged() {
  for (NodeId id : changed_) nodes_[id].changed = false;
  std::vector<NodeId> taken;
  taken.swap(changed_);
  return taken;
}

NodeId AccessTree::FindChild(NodeId parent, std::string_view name) const {
  const AccessNode& node = nodes_[parent];
  if (node.childIndex) {
    auto it = node.childIndex->find(name);
    return it == node.childIndex->end() ? kNoNode : it->second;
  }
  for (NodeId child : node.children) {
    if (texts_.View(nodes_[child].name) == name) return child;
  }
  return kNoNode;
}

NodeId AccessTree::AppendChild(NodeId parent, std::string_view name, const AccessNode& record) {
  const NodeId id = static_cast<NodeId>(nodes_.size());
  AccessNode& child = nodes_.emplace_back();
  child.latest = record.latest;
  child.counts = record.counts;
  child.latestAction = record.latestAction;
  child.eventPath = record.eventPath;
  child.name = texts_.Add(name);
  child.parent = parent;

  AccessNode& owner = nodes_[parent];
  child.row = static_cast<uint32_t>(owner.children.size());
  owner.children.push_back(id);
  if (owner.childIndex) {
    owner.childIndex->emplace(texts_.View(child.name), id);
  } else if (owner.children.size() > kIndexThreshold) {
    owner.childIndex = std::make_unique<std::unordered_map<std::string_view, NodeId>>();
    for (NodeId sibling : owner.children) {
      owner.childIndex->emplace(texts_.View(nodes_[sibling].name), sibling);
    }
  }
  return id;
}

void AccessTree::CountExisting(NodeId id, int slot, const engine::ChangeEvent& event) {
  AccessNode& node = nodes_[id];
  Count(node, slot, event);
  if (node.changed) return;
  node.changed = true;
  changed_.push_back(id);
}

void AccessTree::Count(AccessNode& node, int slot, const engine::ChangeEvent& event) {
  node.counts[static_cast<size_t>(slot)] += 1;
  node.latest[static_cast<size_t>(slot)] = event.time;
  node.latestAction = event.actionCode;
}

NodeId AccessTree::Add(const engine::ChangeEvent& event) {
  const int slot = SlotOfAction(event.actionCode);
  const std::vector<std::string_view> components = PathComponents(event.path);
  NodeId parent = kRootNode;
  size_t index = 0;
  for (; index < components.size(); ++index) {
    NodeId child = FindChild(parent, components[index]);
    if (child == kNoNode) break;
    CountExisting(child, slot, event);
    parent = child;
  }
  if (index == components.size()) return kNoNode;

  AccessNode record;
  Count(record, slot, event);
  record.eventPath = texts_.Add(event.path);
  NodeId first = kNoNode;
  for (; index < components.size(); ++index) {
    parent = AppendChild(parent, components[index], record);
    if (first == kNoNode) first = parent;
  }
  return first;
}

std::string AccessTree::CellText(NodeId id, int column) const {
  if (column == 0) return std::string(Name(id));
  if (column < 1 || column > kSlotCount) return {};
  const AccessNode& node = nodes_[id];
  const size_t slot = static_cast<size_t>(column - 1);
  if (node.counts[slot] == 0) return {};
  if (showCounts_) return std::to_string(node.counts[slot]);
  return platform::FormatTimeText(node.latest[slot]);
}

std::string AccessTree::NodePath(NodeId id) const {
  std::vector<std::string_view> names;
  for (NodeId at = id; at != kRootNode && at != kNoNode; at = nodes_[at].parent) {
    names.push_back(Name(at));
  }
  std::string path;
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    if (!path.empty() && !path.ends_with(kSeparator)) path += kSeparator;
    path += *it;
  }
  return path;
}

}  // namespace tavrek::engine
