#pragma once
// The grouped access statistics: one node per path component (file system
// root, each folder level, the file), each counting per access kind how often
// and when the latest change happened at or below it.
#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/engine/change_event.h"
#include "core/engine/text_arena.h"
#include "core/engine/statistics/access_slots.h"

namespace tavrek::engine {

using NodeId = uint32_t;
inline constexpr NodeId kRootNode = 0;  // invisible; the top nodes are its children
inline constexpr NodeId kNoNode = 0xFFFFFFFF;

struct AccessNode {
  std::array<platform::SystemTime, kSlotCount> latest{};
  std::array<uint32_t, kSlotCount> counts{};
  int32_t latestAction = 0;
  engine::TextRef name;
  engine::TextRef eventPath;  // full path of the change that created the node
  NodeId parent = kNoNode;
  uint32_t row = 0;  // position among the parent's children
  bool changed = false;  // listed among the changed nodes
  std::vector<NodeId> children;
  // Built once a folder has many children, so that finding one by name does
  // not scan them all.
  std::unique_ptr<std::unordered_map<std::string_view, NodeId>> childIndex;
};

class AccessTree {
 public:
  AccessTree();

  // Counts the event at every node of its path, creating the missing ones.
  // Returns the first node created (its ancestors existed), or kNoNode.
  NodeId Add(const engine::ChangeEvent& event);
  void Clear();

  const AccessNode& node(NodeId id) const { return nodes_[id]; }
  size_t NodeCount() const { return nodes_.size() - 1; }
  std::string_view Name(NodeId id) const { return texts_.View(nodes_[id].name); }

  // Column 0 the name; columns 1 to 8 the slot's count or latest time.
  std::string CellText(NodeId id, int column) const;
  // The node's full path, names joined from the top node down.
  std::string NodePath(NodeId id) const;

  // Nodes that existed and were counted again since the last call, each
  // once, in the order of their first change (new nodes are not listed).
  std::vector<NodeId> TakeChanged();
  // Memory held, for checking that a reset gives it back.
  size_t BytesReserved() const;

  bool showCounts() const { return showCounts_; }
  void setShowCounts(bool showCounts) { showCounts_ = showCounts; }

 private:
  NodeId FindChild(NodeId parent, std::string_view name) const;
  NodeId AppendChild(NodeId parent, std::string_view name, const AccessNode& record);
  void CountExisting(NodeId id, int slot, const engine::ChangeEvent& event);
  static void Count(AccessNode& node, int slot, const engine::ChangeEvent& event);

  std::vector<AccessNode> nodes_;
  std::vector<NodeId> changed_;
  engine::TextArena texts_;
  bool showCounts_ = true;
};

// The components of a path as the tree files them: "/" first for an absolute
// path, then every non-empty name.
std::vector<std::string_view> PathComponents(std::string_view path);

}  // namespace tavrek::engine
