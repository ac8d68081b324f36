#include "core/app/settings_store.h"

#include <gtest/gtest.h>

#include <array>

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
// profile functions' and tested with them; these tests cover what the store
// adds: integers written as decimals, and bounds that apply only when neither
// is -1.
TEST_F(SettingsStoreTest, IntegersAreWrittenAsDecimalAndBoundedWhenAsked) {
  ASSERT_TRUE(store_.WriteInt("View", "TB", -7));
  ASSERT_TRUE(store_.WriteInt("List", "ExportIndex", 50));
  EXPECT_EQ(Content(), "[View]\r\nTB=-7\r\n\r\n[List]\r\nExportIndex=50\r\n");
  EXPECT_EQ(store_.GetInt("view", "tb", 1), -7);
  EXPECT_EQ(store_.GetInt("Missing", "TB", 5), 5);
  const std::array<int, 3> rows[] = {
      {-1, -1, 50}, {0, 10, 10}, {60, 100, 60}, {-1, 10, 50}, {10, -1, 50}, {20, 10, 20}};
  for (const auto& [lower, upper, expected] : rows) {
    EXPECT_EQ(store_.GetInt("List", "ExportIndex", 0, lower, upper), expected) << lower << ".." << upper;
  }
  // A section's text has one CR LF line per entry.
  const std::string document =
      folder_.Write("setup.tvk", "[DIR]\r\nD0=/home/\r\n\r\nD1 = /tmp/ \r\n[Filter]\r\nF0=x\r\n");
  EXPECT_EQ(ReadProfileSection("dir", document), "D0=/home/\r\nD1 = /tmp/\r\n");
  EXPECT_EQ(ReadProfileSection("Optionen", document), "");
  EXPECT_EQ(ReadProfileSection("DIR", (folder_ / "missing.tvk").string()), "");
}

}  // namespace
}  // namespace tavrek::app
