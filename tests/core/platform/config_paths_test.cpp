#include "core/platform/config_paths.h"

#include <pwd.h>
#include <stdlib.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "core/platform/registry_store.h"

namespace tavrek::platform {
namespace {

// Sets or unsets an environment variable for the life of the object.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : name_(name) {
    const char* old = getenv(name);
    if (old != nullptr) old_ = old;
    if (value == nullptr) {
      unsetenv(name);
    } else {
      setenv(name, value, 1);
    }
  }
  ~ScopedEnvironment() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

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
