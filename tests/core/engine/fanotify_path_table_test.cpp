#include "core/engine/backend/fanotify/fanotify_path_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavrek::engine {
namespace {

// Everything below a folder goes, in path order, at any depth and also where
// no name was kept for the folders between; folders whose names start like it
// ("/w/d-x", "/w/d.x" sort between "/w/d" and "/w/d/") and the folder's own
// name stay.
TEST(FanotifyPathTableTest, ErasesExactlyTheSubtreeBelowAFolder) {
  FanotifyPathTable<int> table;
  const std::vector<std::string> below = {"/w/d/e/g", "/w/d/f", "/w/d/x/y/z"};
  const std::vector<std::string> kept = {"/w/d", "/w/d-x/f", "/w/d.x/f", "/w/dd"};
  for (const auto* paths : {&below, &kept}) {
    for (const std::string& path : *paths) EXPECT_TRUE(table.TryEmplace(path, 1).second);
  }
  EXPECT_FALSE(table.TryEmplace("/w/d/f", 2).second);
  std::vector<std::string> erased;
  table.EraseBelow("/w/d", [&](const std::string& path, int) { erased.push_back(path); });
  EXPECT_EQ(erased, below);
  for (const std::string& path : below) EXPECT_EQ(table.Find(path), nullptr) << path;
  for (const std::string& path : kept) EXPECT_NE(table.Find(path), nullptr) << path;
  EXPECT_EQ(table.size(), kept.size());
  // A folder emptied so is found again once it has names.
  EXPECT_TRUE(table.TryEmplace("/w/d/f", 3).second);
  EXPECT_EQ(*table.Find("/w/d/f"), 3);
}

}  // namespace
}  // namespace tavrek::engine
