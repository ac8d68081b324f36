#include "core/engine/backend/inotify/entry_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tavrek::engine {
namespace {

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

TEST(EntryNamesTest, AnswersWhetherItHoldsAName) {
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
}

TEST(EntryNamesTest, TakesAnyByteButNul) {
  EntryNames names;
  names.Add("\xff\x01 name with blanks");
  names.Add("\n");
  EXPECT_EQ(Names(names), (std::vector<std::string>{"\n", "\xff\x01 name with blanks"}));
}

}  // namespace
}  // namespace tavrek::engine
