#include "core/engine/backend/inotify/directory_tree.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tavrek::engine {
namespace {

std::string PathOf(const DirectoryTree& tree, NodeId node) {
  std::string path;
  tree.AppendPath(node, path);
  return path;
}

class DirectoryTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree.Reset("/w/", 1);
    a = tree.Add(2, tree.root(), "a");
    b = tree.Add(3, a, "b");
    c = tree.Add(4, b, "c");
  }
  DirectoryTree tree;
  NodeId a = kNoNode, b = kNoNode, c = kNoNode;
};

TEST_F(DirectoryTreeTest, FindsByWatchAndByName) {
  EXPECT_EQ(tree.FindByWatch(3), b);
  EXPECT_EQ(tree.FindByWatch(9), kNoNode);
  EXPECT_EQ(tree.FindChild(a, "b"), b);
  EXPECT_EQ(tree.FindChild(tree.root(), "b"), kNoNode);
  EXPECT_EQ(PathOf(tree, tree.root()), "/w/");
  EXPECT_EQ(PathOf(tree, c), "/w/a/b/c/");
}

TEST_F(DirectoryTreeTest, MovingANodeRepathsItsSubtree) {
  tree.Move(b, tree.root(), "moved");
  EXPECT_EQ(PathOf(tree, c), "/w/moved/c/");
  EXPECT_EQ(tree.FindChild(a, "b"), kNoNode);
  EXPECT_EQ(tree.FindChild(tree.root(), "moved"), b);
  // Damaged records may ask to move a folder below itself: refused, no cycle.
  tree.Move(b, c, "loop");
  tree.Move(b, b, "self");
  EXPECT_EQ(PathOf(tree, c), "/w/moved/c/");
}

TEST_F(DirectoryTreeTest, RemovingANodeRemovesItsSubtreeAndFreesTheName) {
  std::vector<int32_t> removed;
  tree.Remove(b, removed);
  std::sort(removed.begin(), removed.end());
  EXPECT_EQ(removed, (std::vector<int32_t>{3, 4}));
  EXPECT_EQ(tree.size(), 2u);
  EXPECT_EQ(tree.FindByWatch(4), kNoNode);
  EXPECT_EQ(tree.FindChild(a, "b"), kNoNode);
  // The freed slot is reused without confusing the new node with the old.
  NodeId again = tree.Add(5, a, "b");
  EXPECT_EQ(tree.FindChild(a, "b"), again);
  EXPECT_EQ(PathOf(tree, again), "/w/a/b/");
  EXPECT_EQ(tree.FindChild(again, "c"), kNoNode);
}

TEST_F(DirectoryTreeTest, TwoNodesOfOneNameStayApart) {
  // A directory renamed onto another's name before the other's removal is read.
  NodeId other = tree.Add(6, tree.root(), "x");
  tree.Move(b, tree.root(), "x");
  std::vector<int32_t> removed;
  tree.Remove(other, removed);
  EXPECT_EQ(tree.FindChild(tree.root(), "x"), b);
  EXPECT_EQ(PathOf(tree, c), "/w/x/c/");
}

TEST_F(DirectoryTreeTest, TheRootStays) {
  std::vector<int32_t> removed;
  tree.Remove(tree.root(), removed);
  tree.Move(tree.root(), a, "loop");
  EXPECT_TRUE(removed.empty());
  EXPECT_EQ(PathOf(tree, c), "/w/a/b/c/");
}

}  // namespace
}  // namespace tavrek::engine
