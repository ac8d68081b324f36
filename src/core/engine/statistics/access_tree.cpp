#include "core/engine/statistics/access_tree.h"

#include <algorithm>
#include <functional>

namespace tavrek::engine {
namespace {

constexpr std::string_view kSeparator = "/";
constexpr uint64_t kParentMix = 0x9E3779B97F4A7C15ULL;

uint64_t HashOfChild(NodeId parent, std::string_view name) {
  return std::hash<std::string_view>{}(name) ^ (parent * kParentMix);
}

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
  nodes_.clear();  // gives the memory back, not only the nodes
  std::vector<std::vector<NodeId>>().swap(childLists_);
  index_.Clear();
  std::vector<NodeId>().swap(changed_);
  texts_.Clear();
  nodes_.emplace_back();  // the invisible root
}

size_t AccessTree::BytesReserved() const {
  size_t bytes = nodes_.BytesReserved() + changed_.capacity() * sizeof(NodeId) +
                 childLists_.capacity() * sizeof(std::vector<NodeId>) + index_.BytesReserved();
  for (const auto& list : childLists_) bytes += list.capacity() * sizeof(NodeId);
  return bytes + texts_.BytesReserved();
}

std::span<const NodeId> AccessTree::Children(NodeId id) const {
  const uint32_t list = nodes_[id].childList;
  if (list == AccessNode::kNoChildren) return {};
  return childLists_[list];
}

// Children are appended as they are made, so every list is sorted by id.
uint32_t AccessTree::RowOf(NodeId id) const {
  const std::span<const NodeId> siblings = Children(nodes_[id].parent);
  return static_cast<uint32_t>(std::lower_bound(siblings.begin(), siblings.end(), id) -
                               siblings.begin());
}

std::vector<NodeId> AccessTree::TakeChanged() {
  for (NodeId id : changed_) nodes_[id].changed = false;
  std::vector<NodeId> taken;
  taken.swap(changed_);
  return taken;
}

uint64_t AccessTree::HashOf(NodeId id) const { return HashOfChild(nodes_[id].parent, Name(id)); }

NodeId AccessTree::FindChild(NodeId parent, std::string_view name) const {
  return index_.Find(HashOfChild(parent, name), [&](uint32_t id) {
    return nodes_[id].parent == parent && Name(id) == name;
  });
}

NodeId AccessTree::AppendChild(NodeId parent, std::string_view name, int slot,
                               const engine::ChangeEvent& event) {
  const NodeId id = static_cast<NodeId>(nodes_.size());
  AccessNode& child = *nodes_.emplace_back();
  Count(child, slot, event);
  child.name = texts_.Add(name);
  child.parent = parent;
  index_.Insert(HashOfChild(parent, name), id, [this](uint32_t at) { return HashOf(at); });

  AccessNode& owner = nodes_[parent];
  if (owner.childList == AccessNode::kNoChildren) {
    owner.childList = static_cast<uint32_t>(childLists_.size());
    childLists_.emplace_back();
  }
  childLists_[owner.childList].push_back(id);
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
  node.latestMillisecond[static_cast<size_t>(slot)] = platform::MillisecondOfDay(event.time);
  node.latestAction = static_cast<int8_t>(event.image());
}

NodeId AccessTree::Add(const engine::ChangeEvent& event) {
  const int slot = SlotOfAction(event.image());
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

  NodeId first = kNoNode;
  for (; index < components.size(); ++index) {
    parent = AppendChild(parent, components[index], slot, event);
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
  return platform::FormatTimeText(platform::FromMillisecondOfDay(node.latestMillisecond[slot]));
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
