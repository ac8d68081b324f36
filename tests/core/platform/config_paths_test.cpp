#include "core/platform/config_paths.h"

#include <pwd.h>
#include <stdlib.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "core/platform/registry_store.h"
#include "support/scoped_environment.h"

namespace tavrek::platform {
namespace {

using testing::ScopedEnvironment;

TEST(ConfigPathsTest, FollowsXdgConfigHomeThenHomeThenTheAccount) {
  const passwd* account = getpwuid(getuid());
  ASSERT_NE(account, nullptr);
  const std::string accountHome = account->pw_dir;
  struct Row {
    const char* xdg;
    const char* home;
    std::string folder;
  };
  const Row rows[] = {
      {"/x/cfg", "/home/u", "/x/cfg/Quorvane"},
      {nullptr, "/home/u", "/home/u/.config/Quorvane"},
      {"", "/home/u", "/home/u/.config/Quorvane"},
      {"relative/cfg", "/home/u", "/home/u/.config/Quorvane"},
      {nullptr, nullptr, accountHome + "/.config/Quorvane"},
      {nullptr, "", accountHome + "/.config/Quorvane"},
  };
  for (const Row& row : rows) {
    ScopedEnvironment xdg("XDG_CONFIG_HOME", row.xdg);
    ScopedEnvironment home("HOME", row.home);
    EXPECT_EQ(ConfigFolder(), row.folder) << (row.xdg ? row.xdg : "-") << " "
                                          << (row.home ? row.home : "-");
  }
}

TEST(ConfigPathsTest, SettingsAndRegistryFilesLiveInTheConfigFolder) {
  ScopedEnvironment xdg("XDG_CONFIG_HOME", "/x/cfg");
  EXPECT_EQ(SettingsFilePath("Tavrek"), "/x/cfg/Quorvane/Tavrek.ini");
  EXPECT_EQ(RegistryStore::DefaultPath(), "/x/cfg/Quorvane/registry.reg");
}

}  // namespace
}  // namespace tavrek::platform
