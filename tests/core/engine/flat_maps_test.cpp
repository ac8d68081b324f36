#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>

#include "core/engine/backend/fanotify/fanotify_flat_map.h"
#include "core/engine/flat_string_map.h"

namespace tavrek::engine {
namespace {

const int* ValueAt(const FanotifyFlatMap<int>& table, const std::string& key) {
  return table.Find(key);
}
const int* ValueAt(const FlatStringMap<int>& table, const std::string& key) {
  const auto* node = table.Find(key);
  return node ? &node->second : nullptr;
}

// Inserts, replacements and erasures in a random order, with probe runs that
// wrap around and erasures that move later slots (and entries), agree with an
// ordinary map at every step.
template <typename Table>
void AgreesWithAnOrdinaryMap() {
  Table table;
  std::map<std::string, int> expected;
  std::mt19937 random(7);
  constexpr int kKeys = 3000;
  for (int step = 0; step < 40000; ++step) {
    const std::string key = "name" + std::to_string(random() % kKeys);
    switch (random() % 3) {
      case 0: EXPECT_EQ(table.Erase(key), expected.erase(key) == 1) << key; break;
      case 1: EXPECT_EQ(table.TryEmplace(key, step).second, expected.emplace(key, step).second); break;
      default: table[key] = step; expected[key] = step;
    }
    ASSERT_EQ(table.size(), expected.size());
  }
  for (int key = 0; key < kKeys; ++key) {
    const std::string name = "name" + std::to_string(key);
    const auto found = expected.find(name);
    const int* value = ValueAt(table, name);
    ASSERT_EQ(value != nullptr, found != expected.end()) << name;
    if (value) {
      EXPECT_EQ(*value, found->second) << name;
    }
  }
}

TEST(FanotifyFlatMapTest, AgreesWithAnOrdinaryMapThroughGrowthAndErasure) {
  AgreesWithAnOrdinaryMap<FanotifyFlatMap<int>>();
}

TEST(FlatStringMapTest, AgreesWithAnOrdinaryMapThroughGrowthAndErasure) {
  AgreesWithAnOrdinaryMap<FlatStringMap<int>>();
}

// Nodes stay where they are while the table grows and others are erased.
TEST(FlatStringMapTest, NodesKeepTheirAddresses) {
  FlatStringMap<int> table;
  const auto* first = table.TryEmplace("first", 1).first;
  for (int key = 0; key < 1000; ++key) table.TryEmplace(std::to_string(key), key);
  for (int key = 0; key < 1000; key += 2) table.Erase(std::to_string(key));
  EXPECT_EQ(table.Find("first"), first);
  EXPECT_EQ(first->second, 1);
}

}  // namespace
}  // namespace tavrek::engine
