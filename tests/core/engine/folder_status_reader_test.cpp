// Statuses read relative to open folders, as by path, and following folders
// that move.
#include "core/engine/source/folder_status_reader.h"

#include <gtest/gtest.h>
#include <sys/xattr.h>

#include <filesystem>

#include "support/temp_folder.h"

namespace tavrek::engine {
namespace {

TEST(FolderStatusReaderTest, ReadsAsByPathAndFollowsFoldersThatMove) {
  testing::TempFolder temp;
  const std::string file = temp.Write("d/f", "abc").string();
  // Where the file system keeps no user attributes, the hashes stay 0 alike.
  (void)setxattr(file.c_str(), "user.tag", "v", 1, 0);
  FolderStatusReader reader;
  for (const bool withAttributes : {true, false, true}) {  // opened, then reused
    const auto byPath = ReadFileStatus(file, withAttributes);
    const auto read = reader.Read(file, withAttributes);
    ASSERT_TRUE(read && byPath);
    EXPECT_EQ(read->inode, byPath->inode);
    EXPECT_EQ(read->size, 3u);
    EXPECT_EQ(read->attributesKnown, withAttributes);
    EXPECT_EQ(read->otherAttributes, byPath->otherAttributes);
  }
  EXPECT_EQ(reader.size(), 1u);
  EXPECT_FALSE(reader.Read(temp.slashed() + "d/gone", true));

  // Another folder under the old name: once told, the reader reads there.
  std::filesystem::rename(temp / "d", temp / "moved");
  const auto other = ReadFileStatus(temp.Write("d/f", "other").string(), false);
  reader.Forget(temp.path().string());
  EXPECT_EQ(reader.size(), 0u);
  const auto read = reader.Read(file, true);
  ASSERT_TRUE(read && other);
  EXPECT_EQ(read->inode, other->inode);
}

}  // namespace
}  // namespace tavrek::engine
