#include "core/engine/backend/small_tree.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_folder.h"

namespace tavrek::engine {
namespace {

using testing::TempFolder;

// Five directories (the folder, a, a/b, a/b/c, d), files and a link to a
// directory beside them: the link is not followed, files do not count.
TEST(SmallTreeTest, CountsDirectoriesUpToTheLimit) {
  TempFolder folder;
  std::filesystem::create_directories(folder / "a/b/c");
  std::filesystem::create_directories(folder / "d");
  folder.Write("a/b/file");
  std::filesystem::create_directory_symlink(folder / "a", folder / "d/link");
  for (const auto& [limit, small] : {std::pair{5, true}, {4, false}, {1, false}, {0, false}}) {
    EXPECT_EQ(TreeHasAtMostDirectories(folder.path().string(), limit), small) << limit;
  }
  EXPECT_TRUE(TreeHasAtMostDirectories((folder / "missing").string(), 1));
}

}  // namespace
}  // namespace tavrek::engine
