#include "core/engine/folder_set.h"

#include <gtest/gtest.h>

namespace tavrek::engine {
namespace {

using Folders = std::vector<std::string>;

TEST(FolderSetTest, KeysKeepLetterCaseInByteOrderAndAnExistingKeyIsReplaced) {
  FolderSet set;
  for (const char* path : {"/srv/Logs", "/data", "/Data", "/data", "/a,b"}) set.Add(path);
  EXPECT_FALSE(set.Add(""));
  Folders paths;
  for (const auto& [key, path] : set.folders()) paths.push_back(path);
  EXPECT_EQ(paths, (Folders{"/Data", "/a,b", "/data", "/srv/Logs"}));
}

TEST(FolderListTest, SplitsAtCommasUnlessThereIsNoneOrALeadingOneAndEndsPathsInOneSlash) {
  EXPECT_EQ(SplitFolderList("/srv/Logs,,/data,/Data,"), (Folders{"/srv/Logs", "/data", "/Data"}));
  EXPECT_EQ(SplitFolderList(""), Folders{});
  EXPECT_EQ(SplitFolderList(" "), Folders{" "});  // blanks count
  EXPECT_EQ(SplitFolderList(",/a"), Folders{",/a"});
  // A folder path ends in one slash, runs collapsed.
  EXPECT_EQ(NormaliseFolderPath("/"), "/");
  EXPECT_EQ(NormaliseFolderPath("//"), "/");
  EXPECT_EQ(NormaliseFolderPath("/data"), "/data/");
  EXPECT_EQ(NormaliseFolderPath("//srv///share//"), "/srv/share/");
}

}  // namespace
}  // namespace tavrek::engine
