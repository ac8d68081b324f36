// Where the settings live and what the system is called.
#include "core/platform/config_paths.h"

#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "core/platform/os_text.h"
#include "core/platform/registry_store.h"
#include "support/temp_folder.h"
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
  ScopedEnvironment xdg("XDG_CONFIG_HOME", "/x/cfg");  // settings and registry live there
  EXPECT_EQ(SettingsFilePath("Tavrek"), "/x/cfg/Quorvane/Tavrek.ini");
  EXPECT_EQ(RegistryStore::DefaultPath(), "/x/cfg/Quorvane/registry.reg");
}

std::string KernelTail() {
  utsname system{};
  uname(&system);
  return std::string(" | ") + system.release + " | " + system.machine;
}

TEST(OperatingSystemTextTest, JoinsPrettyNameKernelReleaseAndMachine) {
  testing::TempFolder folder;
  const std::pair<std::string, std::string> rows[] = {
      {"NAME=\"Debian\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nID=debian\n",
       "Debian GNU/Linux 12 (bookworm)"},
      {"PRETTY_NAME='Single quoted'\r\n", "Single quoted"},
      {"PRETTY_NAME=Unquoted\n", "Unquoted"},
      {"PRETTY_NAME=\"Escaped \\\"name\\\" \\$HOME\"\n", "Escaped \"name\" $HOME"},
      {"NAME=NoPretty\n", "Linux"},
      {"", "Linux"},
  };
  for (const auto& [content, name] : rows) {
    const std::string file = folder.Write("os-release", content);
    EXPECT_EQ(OperatingSystemText(file), name + KernelTail()) << content;
  }
  // Unopenable and unreadable sources are told apart.
  EXPECT_EQ(OperatingSystemText((folder / "missing").string()), "ERR-1");
  EXPECT_EQ(OperatingSystemText(folder.path().string()), "ERR");
  EXPECT_NE(OperatingSystemText(), "ERR-1");
}

}  // namespace
}  // namespace tavrek::platform
