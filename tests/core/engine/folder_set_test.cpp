#include "core/engine/folder_set.h"

#include <gtest/gtest.h>

namespace tavrek::engine {
namespace {

std::vector<std::string> Paths(const FolderSet& set) {
  std::vector<std::string> paths;
  for (const auto& [key, path] : set.folders()) paths.push_back(path);
  return paths;
}

TEST(FolderSetTest, AddsCommaSeparatedPiecesKeepingLetterCaseInByteOrder) {
  FolderSet set;
  EXPECT_EQ(set.AddFromText("/srv/Logs,,/data,/Data"), 3);
  EXPECT_EQ(Paths(set), (std::vector<std::string>{"/Data", "/data", "/srv/Logs"}));
  set.AddFromText("/data");  // same key: replaced, not added twice
  EXPECT_EQ(set.size(), 3u);
}

TEST(FolderSetTest, WholeTextWhenNoCommaOrALeadingOne) {
  FolderSet set;
  EXPECT_EQ(set.AddFromText(""), 0);
  EXPECT_EQ(set.AddFromText("/"), 1);
  EXPECT_EQ(set.AddFromText(" "), 1);  // blanks count
  EXPECT_EQ(set.AddFromText(",/a"), 1);
  EXPECT_EQ(Paths(set), (std::vector<std::string>{" ", ",/a", "/"}));
}

TEST(NormaliseFolderPathTest, EndsInOneSlashAndCollapsesRuns) {
  EXPECT_EQ(NormaliseFolderPath("/"), "/");
  EXPECT_EQ(NormaliseFolderPath("//"), "/");
  EXPECT_EQ(NormaliseFolderPath("/data"), "/data/");
  EXPECT_EQ(NormaliseFolderPath("//srv///share//"), "/srv/share/");
}

}  // namespace
}  // namespace tavrek::engine
