#include "core/app/frame_settings.h"

#include <gtest/gtest.h>

#include "core/app/settings_store.h"
#include "core/platform/file_io.h"
#include "support/temp_folder.h"

namespace tavrek::app {
namespace {

// The keys on disk are the ones earlier versions wrote: a changed one would
// silently reset a user's choice.
TEST(FrameSettingsTest, EachFlagIsOneKeyWrittenAloneAndReadBack) {
  testing::TempFolder folder;
  SettingsStore store((folder / "Tavrek.ini").string());
  const FrameSettings fresh = FrameSettings::Load(store);
  EXPECT_TRUE(fresh.toolbar && fresh.tabBar && fresh.statusBar && fresh.startHelp);
  EXPECT_FALSE(fresh.startMaximised);

  ASSERT_TRUE(SaveFrameFlag(store, FrameFlag::TabBar, false));
  ASSERT_TRUE(SaveFrameFlag(store, FrameFlag::StartMaximised, true));
  ASSERT_TRUE(SaveFrameFlag(store, FrameFlag::StartHelp, false));
  ASSERT_TRUE(SaveFrameFlag(store, FrameFlag::Toolbar, false));
  ASSERT_TRUE(SaveFrameFlag(store, FrameFlag::StatusBar, false));
  EXPECT_EQ(platform::ReadWholeFile(store.filePath()).bytes,
            "[View]\r\nTAB=0\r\nTB=0\r\nSB=0\r\n[Start]\r\nMax=1\r\nInfo=0\r\n");
  const FrameSettings read = FrameSettings::Load(store);
  EXPECT_FALSE(read.toolbar || read.tabBar || read.statusBar || read.startHelp);
  EXPECT_TRUE(read.startMaximised);
}

}  // namespace
}  // namespace tavrek::app
