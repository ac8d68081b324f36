#pragma once
// The grouped access statistics: one node per path component (file system
// root, each folder level, the file), each counting per access kind how often
// and when the latest change happened at or below it. A node costs 88 bytes
// plus its name, its slot in the name index and in its parent's child list:
// a whole drive of paths stays in memory.
#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine/change_event.h"
#include "core/engine/chunked_vector.h"
#include "core/engine/text_arena.h"
#include "core/engine/statistics/access_slots.h"
#include "core/engine/statistics/id_index.h"

namespace tavrek::engine {

using NodeId = uint32_t;
inline constexpr NodeId kRootNode = 0;  // invisible; the top nodes are its children
inline constexpr NodeId kNoNode = 0xFFFFFFFF;

struct AccessNode {
  static constexpr uint32_t kNoChildren = 0xFFFFFFFF;
  // Per slot the time of day of the latest change (only the time is shown).
  std::array<uint32_t, kSlotCount> latestMillisecond{};
  std::array<uint32_t, kSlotCount> counts{};
  engine::TextRef name;
  NodeId parent = kNoNode;
  uint32_t childList = kNoChildren;  // the tree's list of this node's children
  int8_t latestAction = 0;
  bool changed = false;  // listed among the changed nodes
};
static_assert(sizeof(AccessNode) <= 88, "one node per path of a whole drive");

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
  // The node's children in the order of their first change.
  std::span<const NodeId> Children(NodeId id) const;
  // The node's position among its parent's children.
  uint32_t RowOf(NodeId id) const;

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
  NodeId AppendChild(NodeId parent, std::string_view name, int slot,
                     const engine::ChangeEvent& event);
  void CountExisting(NodeId id, int slot, const engine::ChangeEvent& event);
  static void Count(AccessNode& node, int slot, const engine::ChangeEvent& event);
  uint64_t HashOf(NodeId id) const;

  // Small chunks: a reset tree (the root alone) holds less than a page.
  static constexpr size_t kNodesPerChunk = 32;
  engine::ChunkedVector<AccessNode, kNodesPerChunk> nodes_;
  std::vector<std::vector<NodeId>> childLists_;
  IdIndex index_;  // (parent, name) -> child
  std::vector<NodeId> changed_;
  engine::TextArena texts_;
  bool showCounts_ = true;
};

// The components of a path as the tree files them: "/" first for an absolute
// path, then every non-empty name.
std::vector<std::string_view> PathComponents(std::string_view path);

}  // namespace tavrek::engine
