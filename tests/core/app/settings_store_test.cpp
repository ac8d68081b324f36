#include "core/app/settings_store.h"

#include <gtest/gtest.h>

#include "core/platform/file_io.h"
#include "support/temp_folder.h"

namespace tavrek::app {
namespace {

class SettingsStoreTest : public ::testing::Test {
 protected:
  std::string Content() const { return platform::ReadWholeFile(store_.filePath()).bytes; }

  testing::TempFolder folder_;
  SettingsStore store_{(folder_ / "Quorvane/Tavrek.ini").string()};
};

// Reading rules (leading digits, letter case, the 1,023-byte cut) are the
// profile functions' and tested with them; these tests cover what the store adds.
TEST_F(SettingsStoreTest, IntegersAreWrittenAsDecimalAndReadBack) {
  ASSERT_TRUE(store_.WriteInt("View", "TB", -7));
  ASSERT_TRUE(store_.WriteString("View", "SB", "12abc"));
  EXPECT_EQ(Content(), "[View]\r\nTB=-7\r\nSB=12abc\r\n");
  EXPECT_EQ(store_.GetInt("view", "tb", 1), -7);
  EXPECT_EQ(store_.GetInt("View", "SB", 1), 12);
  EXPECT_EQ(store_.GetInt("Missing", "TB", 5), 5);
}

TEST_F(SettingsStoreTest, BoundsApplyOnlyWhenNeitherIsMinusOne) {
  ASSERT_TRUE(store_.WriteInt("List", "ExportIndex", 50));
  struct Row {
    int lower, upper, expected;
  };
  const Row rows[] = {
      {-1, -1, 50}, {0, 10, 10}, {60, 100, 60}, {-1, 10, 50}, {10, -1, 50}, {20, 10, 20},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(store_.GetInt("List", "ExportIndex", 0, row.lower, row.upper), row.expected)
        << row.lower << ".." << row.upper;
  }
}

TEST_F(SettingsStoreTest, SectionTextHasOneCrLfLinePerEntry) {
  const std::string document =
      folder_.Write("setup.tvk", "[DIR]\r\nD0=/home/\r\n\r\nD1 = /tmp/ \r\n[Filter]\r\nF0=x\r\n");
  EXPECT_EQ(ReadProfileSection("dir", document), "D0=/home/\r\nD1 = /tmp/\r\n");
  EXPECT_EQ(ReadProfileSection("Optionen", document), "");
  EXPECT_EQ(ReadProfileSection("DIR", (folder_ / "missing.tvk").string()), "");
}

}  // namespace
}  // namespace tavrek::app
