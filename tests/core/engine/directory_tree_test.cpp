// The inotify backend's tree of watched directories, its index of children by
// name and the names of the entries it keeps.
#include "core/engine/backend/inotify/directory_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/engine/backend/inotify/child_index.h"
#include "core/engine/backend/inotify/entry_names.h"

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

TEST_F(DirectoryTreeTest, FindsByWatchAndByNameAndKeepsTheRoot) {
  EXPECT_EQ(tree.FindByWatch(3), b);
  EXPECT_EQ(tree.FindByWatch(9), kNoNode);
  EXPECT_EQ(tree.FindChild(a, "b"), b);
  EXPECT_EQ(tree.FindChild(tree.root(), "b"), kNoNode);
  EXPECT_EQ(PathOf(tree, tree.root()), "/w/");
  EXPECT_EQ(PathOf(tree, c), "/w/a/b/c/");
  // The root stays.
  std::vector<int32_t> removed;
  tree.Remove(tree.root(), removed);
  tree.Move(tree.root(), a, "loop");
  EXPECT_TRUE(removed.empty());
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

// The open-addressing child index against a standard multimap, with hashes
// drawn from a small range so that runs collide, wrap around the table's end
// and are cut by removals in their middle.
std::set<uint32_t> AllUnder(const ChildIndex& index, size_t hash) {
  std::set<uint32_t> found;
  index.Find(hash, [&](uint32_t value) {
    found.insert(value);
    return false;
  });
  return found;
}

void ExpectAgrees(const ChildIndex& index, const std::set<std::pair<size_t, uint32_t>>& model) {
  std::map<size_t, std::set<uint32_t>> byHash;
  for (const auto& [hash, value] : model) byHash[hash].insert(value);
  ASSERT_EQ(index.size(), model.size());
  for (const auto& [hash, values] : byHash) ASSERT_EQ(AllUnder(index, hash), values) << hash;
}

struct Shape {
  size_t hashes;   // distinct hashes drawn from
  size_t maxLive;  // entries at most at one time
};

// Few hashes make long runs; a table kept small makes runs that cross its end.
class ChildIndexModelTest : public ::testing::TestWithParam<Shape> {};

TEST_P(ChildIndexModelTest, AgreesWithAModelThroughInsertsAndRemovals) {
  const Shape shape = GetParam();
  std::mt19937 random(7);
  ChildIndex index;
  std::set<std::pair<size_t, uint32_t>> model;
  for (uint32_t step = 0; step < 20000; ++step) {
    const bool insert = model.empty() || (model.size() < shape.maxLive && random() % 3 != 0);
    if (insert) {
      const size_t hash = random() % shape.hashes;
      index.Insert(hash, step);
      model.emplace(hash, step);
    } else {
      auto victim = model.begin();
      std::advance(victim, random() % model.size());
      index.Erase(victim->first, victim->second);
      model.erase(victim);
    }
    if (shape.maxLive < 8) ExpectAgrees(index, model);
  }
  ExpectAgrees(index, model);
}

INSTANTIATE_TEST_SUITE_P(Shapes, ChildIndexModelTest,
                         ::testing::Values(Shape{40, SIZE_MAX}, Shape{1000000, 7}));

TEST(ChildIndexTest, FindStopsAtTheValueTheCallerAccepts) {
  ChildIndex index;
  EXPECT_EQ(index.Find(1, [](uint32_t) { return true; }), ChildIndex::kEmpty);
  for (uint32_t value = 0; value < 5; ++value) index.Insert(1, value);
  index.Erase(1, 9);  // not there: nothing happens
  EXPECT_EQ(index.Find(1, [](uint32_t value) { return value == 3; }), 3U);
  index.Erase(1, 3);
  EXPECT_EQ(index.Find(1, [](uint32_t value) { return value == 3; }), ChildIndex::kEmpty);
  index.Clear();
  EXPECT_EQ(index.size(), 0U);
  EXPECT_TRUE(AllUnder(index, 1).empty());
}

std::vector<std::string> Names(EntryNames& names) {
  std::vector<std::string> out;
  names.ForEach([&](std::string_view name) { out.emplace_back(name); });
  return out;
}

TEST(EntryNamesTest, KeepsTheNamesSortedThroughManyChanges) {
  EntryNames names;
  names.Assign(std::string("b\0a\0c\0a\0", 8));
  EXPECT_EQ(Names(names), (std::vector<std::string>{"a", "b", "c"}));
  names.Remove("b");
  names.Add("b2");
  names.Add("a");  // already there
  names.Remove("missing");
  EXPECT_EQ(Names(names), (std::vector<std::string>{"a", "b2", "c"}));

  // Enough changes to be folded into the sorted run on the way.
  for (int index = 0; index < 1000; ++index) names.Add("n" + std::to_string(index));
  for (int index = 0; index < 1000; index += 2) names.Remove("n" + std::to_string(index));
  names.Add("n0");
  names.Remove("n1");
  names.Add("n1");
  names.Remove("n3");
  EXPECT_EQ(names.count(), 3u + 500u);
  const std::vector<std::string> all = Names(names);
  EXPECT_TRUE(std::is_sorted(all.begin(), all.end()));
  EXPECT_TRUE(std::find(all.begin(), all.end(), "n0") != all.end());
  EXPECT_TRUE(std::find(all.begin(), all.end(), "n3") == all.end());
  EXPECT_TRUE(std::find(all.begin(), all.end(), "n2") == all.end());
}

TEST(EntryNamesTest, AnswersWhetherItHoldsANameOfAnyBytesButNul) {
  EntryNames names;
  EXPECT_FALSE(names.Contains("a"));
  names.Assign(std::string("d\0b\0f\0a\0ab\0", 11));
  for (const char* held : {"a", "ab", "b", "d", "f"}) EXPECT_TRUE(names.Contains(held)) << held;
  for (const char* missing : {"", "0", "aa", "c", "e", "g", "ff"}) {
    EXPECT_FALSE(names.Contains(missing)) << missing;
  }
  names.Remove("b");
  names.Add("c");
  EXPECT_FALSE(names.Contains("b"));
  EXPECT_TRUE(names.Contains("c"));
  // Any byte but NUL.
  EntryNames odd;
  odd.Add("\xff\x01 name with blanks");
  odd.Add("\n");
  EXPECT_EQ(Names(odd), (std::vector<std::string>{"\n", "\xff\x01 name with blanks"}));
}

}  // namespace
}  // namespace tavrek::engine
