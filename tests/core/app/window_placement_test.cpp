// What the frame keeps between starts: its placement and its settings.
#include "core/app/window_placement.h"

#include <gtest/gtest.h>

#include <array>

#include "core/app/identity.h"
#include "core/app/settings_store.h"
#include "core/platform/file_io.h"
#include "support/temp_folder.h"

namespace tavrek::app {
namespace {

constexpr Rect kScreen{0, 0, 1920, 1080};

TEST(PlacementTextTest, UsesTheNormalRectangleUnlessShownNormallyAndAFirstStartFits) {
  const Rect current{5, 6, 105, 206};
  const Rect normal{10, 20, 810, 620};
  const std::pair<WindowPlacementInfo, std::string> rows[] = {
      {{current, normal, kShowMaximised}, "10;20;810;620;3;x,y,w,h,SW"},
      {{current, normal, kShowMinimised}, "10;20;810;620;2;x,y,w,h,SW"},
      {{current, normal, kShowNormal}, "5;6;105;206;1;x,y,w,h,SW"},
      {{current, std::nullopt, kShowMaximised}, "5;6;105;206;3;x,y,w,h,SW"},
      {{{-1920, -5, 0, 1075}, std::nullopt, kShowNormal}, "-1920;-5;0;1075;1;x,y,w,h,SW"},
  };
  for (const auto& [info, text] : rows) EXPECT_EQ(BuildPlacementText(info), text);
  // A first start fits the free area with its frame.
  const Margins frame{4, 30, 4, 4};
  EXPECT_EQ(FirstPlacement({0, 0, 1920, 1080}, 1100, 760, frame), (Rect{410, 173, 1510, 933}));  // centred
  EXPECT_EQ(FirstPlacement({0, 32, 800, 600}, 1100, 760, frame), (Rect{4, 62, 796, 596}));  // shrunk
  EXPECT_EQ(FirstPlacement({0, 0, 5, 5}, 1100, 760, frame), (Rect{4, 30, 5, 31}));  // never negative
}

TEST(PlacementTextTest, AppliesFieldsKeepsTheWindowOnTheScreenAndIsKeptAsWinRc) {
  const std::pair<std::string_view, PlacementResult> rows[] = {
      {"10;20;810;620;3;x,y,w,h,SW", {{10, 20, 810, 620}, true}},
      {"10;20;810;620;2;x,y,w,h,SW", {{10, 20, 810, 620}, false}},
      // Partly right of and below the screen: shifted back, size kept.
      {"1500;900;2300;1400;1;x,y,w,h,SW", {{1120, 580, 1920, 1080}, false}},
      // Left of and above the screen.
      {"-300;-50;500;450;1;x,y,w,h,SW", {{0, 0, 800, 500}, false}},
      // Wider than the screen: the right edge rule wins.
      {"-100;0;2020;500;1;x,y,w,h,SW", {{-200, 0, 1920, 500}, false}},
      // Fields stop early: the rest stays 0.
      {"100;200;x,y,w,h", {{100, 200, 0, 0}, false}},
      {"12abc;7;500;400", {{12, 7, 500, 400}, false}},
      {"garbage!!", {{0, 0, 0, 0}, false}},
      {"1;2;3;4;", {{0, 0, 0, 0}, false}},  // never read: too short
  };
  for (const auto& [text, expected] : rows) {
    const auto result = ApplyPlacementText(text, kScreen);
    if (text.size() <= 8) {
      EXPECT_EQ(result, std::nullopt) << text;
    } else {
      EXPECT_EQ(result, expected) << text;
    }
  }
  const auto extreme = ApplyPlacementText("-99999999999;-99999999999;99999999999;99999999999;3", kScreen);
  ASSERT_TRUE(extreme);  // numbers beyond range stay within it
  EXPECT_TRUE(extreme->maximise);
  EXPECT_LE(extreme->rect.left, extreme->rect.right);
  // The registry keeps the text as "WinRC".
  testing::TempFolder folder;
  platform::RegistryStore registry((folder / "registry.reg").string());
  EXPECT_EQ(LoadPlacementText(registry), std::nullopt);
  ASSERT_TRUE(SavePlacement(registry, {{1, 2, 3, 4}, Rect{10, 20, 810, 620}, kShowMaximised}));
  const platform::RegistryStore other(registry.filePath());
  EXPECT_EQ(other.GetString(kApplicationRegistryKey, "WinRC"), "10;20;810;620;3;x,y,w,h,SW");
  EXPECT_EQ(LoadPlacementText(registry), "10;20;810;620;3;x,y,w,h,SW");
  ASSERT_TRUE(registry.SetString(kApplicationRegistryKey, "WinRC", std::string(2000, '7')));
  EXPECT_EQ(LoadPlacementText(registry)->size(), 1023u);
}

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
