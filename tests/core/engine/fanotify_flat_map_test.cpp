#include "core/engine/backend/fanotify/fanotify_flat_map.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>

namespace tavrek::engine {
namespace {

// Inserts, replacements and erasures in a random order, with probe runs that
// wrap around and erasures that move later slots and the last entry, agree
// with an ordinary map at every step.
TEST(FanotifyFlatMapTest, AgreesWithAnOrdinaryMapThroughGrowthAndErasure) {
  FanotifyFlatMap<int> table;
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
    const int* value = table.Find(name);
    ASSERT_EQ(value != nullptr, found != expected.end()) << name;
    if (value) {
      EXPECT_EQ(*value, found->second) << name;
    }
  }
  for (const auto& [key, value] : table.entries()) EXPECT_EQ(expected.at(key), value);
}

}  // namespace
}  // namespace tavrek::engine
