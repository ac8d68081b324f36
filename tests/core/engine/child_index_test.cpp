// The open-addressing child index against a standard multimap, with hashes
// drawn from a small range so that runs collide, wrap around the table's end
// and are cut by removals in their middle.
#include "core/engine/backend/inotify/child_index.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <random>
#include <set>
#include <utility>

namespace tavrek::engine {
namespace {

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

}  // namespace
}  // namespace tavrek::engine
