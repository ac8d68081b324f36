#include "core/platform/os_text.h"

#include <sys/utsname.h>

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace tavrek::platform {
namespace {

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
}

TEST(OperatingSystemTextTest, TellsUnopenableFromUnreadableSources) {
  testing::TempFolder folder;
  EXPECT_EQ(OperatingSystemText((folder / "missing").string()), "ERR-1");
  EXPECT_EQ(OperatingSystemText(folder.path().string()), "ERR");
  EXPECT_NE(OperatingSystemText(), "ERR-1");
}

}  // namespace
}  // namespace tavrek::platform
