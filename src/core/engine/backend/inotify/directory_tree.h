#pragma once
// The watched directories of a recursive inotify watch, keyed by watch
// descriptor. A node knows only its parent and its own name, so renaming a
// directory re-paths everything below it at once; full paths are built by
// walking up when an event needs one.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/engine/backend/inotify/child_index.h"
#include "core/engine/backend/inotify/entry_names.h"

namespace tavrek::engine {

using NodeId = uint32_t;
inline constexpr NodeId kNoNode = UINT32_MAX;

class DirectoryTree {
 public:
  // Forgets every node and makes `rootPath` (ending in "/") the root, watched
  // by `rootWd`.
  void Reset(std::string rootPath, int32_t rootWd);

  NodeId root() const { return kRootNode; }
  size_t size() const { return byWatch_.size(); }

  // Adds a directory below `parent`; the caller made sure the name is not
  // watched yet.
  NodeId Add(int32_t wd, NodeId parent, std::string_view name);
  NodeId FindByWatch(int32_t wd) const;
  NodeId FindChild(NodeId parent, std::string_view name) const;
  int32_t WatchOf(NodeId node) const { return nodes_[node].wd; }
  // Whether `node` is `ancestor` or lies below it.
  bool IsWithin(NodeId node, NodeId ancestor) const;

  // Gives the node a new parent and name; its subtree follows.
  void Move(NodeId node, NodeId newParent, std::string_view newName);

  // Removes the node and everything below it, appending their watch
  // descriptors. Removing the root is refused.
  void Remove(NodeId node, std::vector<int32_t>& removedWatches);

  // Appends the node's full path, ending in "/".
  void AppendPath(NodeId node, std::string& out) const;

  NodeId ParentOf(NodeId node) const { return nodes_[node].parent; }
  // The name below the parent (the root's is its full path).
  std::string_view NameOf(NodeId node) const { return nodes_[node].name; }
  // The names the directory holds, as far as the watch knows.
  EntryNames& EntriesOf(NodeId node) { return nodes_[node].entries; }
  // Every node from `top` down, with its watch, parents before children.
  void Collect(NodeId top, std::vector<std::pair<NodeId, int32_t>>& out) const;
  // The directories right below `node`.
  void ChildrenOf(NodeId node, std::vector<NodeId>& out) const;

 private:
  static constexpr NodeId kRootNode = 0;

  struct Node {
    std::string name;  // the root's is its full path
    int32_t wd = -1;
    NodeId parent = kNoNode;
    NodeId firstChild = kNoNode;
    NodeId nextSibling = kNoNode;
    NodeId previousSibling = kNoNode;
    EntryNames entries;
  };

  static size_t ChildKey(NodeId parent, std::string_view name);
  void Link(NodeId node, NodeId parent, std::string_view name);
  void Unlink(NodeId node);
  void EraseNameEntry(NodeId node);
  void Release(NodeId node, std::vector<int32_t>& removedWatches);

  std::vector<Node> nodes_;
  std::vector<NodeId> freeNodes_;
  std::unordered_map<int32_t, NodeId> byWatch_;
  // Hash of (parent, name) -> node; collisions are told apart by the node.
  ChildIndex byName_;
  mutable std::vector<NodeId> chain_;  // scratch of AppendPath
};

}  // namespace tavrek::engine
