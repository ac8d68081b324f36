#include "core/window/view_settings.h"

#include <gtest/gtest.h>

#include "core/app/settings_store.h"
#include "core/platform/file_io.h"
#include "support/temp_folder.h"

namespace tavrek::window {
namespace {

TEST(ViewSettingsTest, EachSettingIsOneKeyWrittenAloneAndReadBack) {
  testing::TempFolder folder;
  app::SettingsStore store((folder / "Tavrek.ini").string());
  const ViewSettings fresh = ViewSettings::Load(&store);
  EXPECT_TRUE(fresh.logGridLines && fresh.accessGridLines && fresh.treeGridLines && fresh.grouped);
  EXPECT_EQ(LoadFilterText(store), "");

  ASSERT_TRUE(SaveGridLines(&store, GridLinesList::Access, false));
  ASSERT_TRUE(SaveGrouped(&store, false));
  ASSERT_TRUE(SaveGridLines(&store, GridLinesList::Log, false));
  ASSERT_TRUE(SaveGridLines(&store, GridLinesList::Tree, false));
  ASSERT_TRUE(SaveFilterText(store, "*.tmp"));
  EXPECT_EQ(platform::ReadWholeFile(store.filePath()).bytes,
            "[ShowLinie]\r\nListe_Zugriffe=0\r\nListe_Log=0\r\nListe_Gruppe=0\r\n"
            "[Show]\r\nListe_Gruppe=0\r\n[Filter]\r\nbox=*.tmp\r\n");
  const ViewSettings read = ViewSettings::Load(&store);
  EXPECT_FALSE(read.logGridLines || read.accessGridLines || read.treeGridLines || read.grouped);
  EXPECT_EQ(LoadFilterText(store), "*.tmp");
  EXPECT_FALSE(SaveGrouped(nullptr, true));
}

}  // namespace
}  // namespace tavrek::window
