// Reading and replacing files, writers of one file taking turns, where the
// settings live and what the system is called.
#include "core/platform/file_io.h"

#include <pwd.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include "core/platform/config_paths.h"
#include "core/platform/os_text.h"
#include "core/platform/profile.h"
#include "core/platform/registry_store.h"
#include "core/platform/update_lock.h"
#include "support/scoped_environment.h"
#include "support/temp_folder.h"

namespace tavrek::platform {
namespace {

TEST(FileIoTest, ReadTellsMissingUnreadableAndSizelessFilesApart) {
  testing::TempFolder folder;
  EXPECT_EQ(ReadWholeFile((folder / "missing").string()).status, ReadStatus::Missing);
  EXPECT_EQ(ReadWholeFile((folder / "missing/below").string()).status, ReadStatus::Missing);
  EXPECT_EQ(ReadWholeFile(folder.path().string()).status, ReadStatus::ReadFailed);
  const FileContent proc = ReadWholeFile("/proc/self/mountinfo");  // reports size 0
  EXPECT_EQ(proc.status, ReadStatus::Ok);
  EXPECT_FALSE(proc.bytes.empty());
  // A text file read takes regular files up to the limit only.
  testing::TempFolder texts;
  const std::string file = texts.Write("a.ini", "12345");
  EXPECT_EQ(ReadTextFile(file, 5).bytes, "12345");
  EXPECT_EQ(ReadTextFile(file, 5).message, "");
  const FileContent large = ReadTextFile(file, 4);
  EXPECT_EQ(large.status, ReadStatus::TooLarge);
  EXPECT_EQ(large.bytes, "");
  EXPECT_NE(large.message.find(file), std::string::npos);

  const std::string fifo = (texts / "fifo").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(ReadTextFile(fifo).status, ReadStatus::NotRegular);
  EXPECT_EQ(ReadTextFile("/dev/zero").status, ReadStatus::NotRegular);
  EXPECT_EQ(ReadTextFile(texts.path().string()).status, ReadStatus::NotRegular);
  EXPECT_EQ(ReadTextFile((texts / "missing").string()).message, "");
  EXPECT_TRUE(IsReadError(ReadStatus::NotRegular) && IsReadError(ReadStatus::TooLarge));
}

TEST(FileIoTest, AtomicWriteKeepsModeFollowsLinksRefusesFoldersAndProtectedFilesAndCleansUpAfterTheDead) {
  testing::TempFolder folder;
  const std::string target = folder.Write("real/settings.ini", "old");
  ASSERT_EQ(chmod(target.c_str(), 0640), 0);
  const std::string link = (folder / "link.ini").string();
  std::filesystem::create_symlink(target, link);
  ASSERT_TRUE(WriteFileAtomically(link, "new"));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadWholeFile(target).bytes, "new");
  struct stat status {};
  ASSERT_EQ(stat(target.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0640u);
  // Folders and paths below files are refused.
  EXPECT_FALSE(WriteFileAtomically(folder.path().string(), "x"));
  EXPECT_FALSE(WriteFileAtomically(target + "/below", "x"));
  EXPECT_FALSE(WriteFileAtomically("", "x"));
  EXPECT_EQ(ReadWholeFile(target).bytes, "new");
  // A write-protected file stays as the user protected it, also through a link.
  ASSERT_EQ(chmod(target.c_str(), 0444), 0);
  EXPECT_TRUE(IsWriteProtected(link));
  EXPECT_FALSE(WriteFileAtomically(link, "newer"));
  EXPECT_EQ(ReadWholeFile(target).bytes, "new");
  // A write removes the temporary files of its dead writers only.
  testing::TempFolder temps;
  const pid_t dead = fork();
  if (dead == 0) _exit(0);
  ASSERT_EQ(waitpid(dead, nullptr, 0), dead);
  const auto stale = temps.Write(".Tavrek.ini." + std::to_string(dead) + ".3.tmp");
  const auto alive = temps.Write(".Tavrek.ini.1.0.tmp");  // pid 1 never ends
  const auto other = temps.Write(".other.ini." + std::to_string(dead) + ".3.tmp");
  ASSERT_TRUE(WriteFileAtomically((temps / "Tavrek.ini").string(), "new"));
  EXPECT_FALSE(std::filesystem::exists(stale));
  EXPECT_TRUE(std::filesystem::exists(alive) && std::filesystem::exists(other));
}

constexpr std::string_view kKey = "Software\\Quorvane\\Tavrek";

// Writers of one file each set keys of their own at the same time: a write
// without the lock loses keys set between its read and its rename.
TEST(UpdateLockTest, InterleavedWritersKeepEveryKeyAndAStuckLockFailsAWrite) {
  testing::TempFolder folder;
  const std::string ini = (folder / "cfg/Tavrek.ini").string();
  const RegistryStore registry((folder / "cfg/registry.reg").string());
  constexpr int kWriters = 3, kKeysEach = 40;
  std::vector<std::thread> writers;
  for (int writer = 0; writer < kWriters; ++writer) {
    writers.emplace_back([&, writer] {
      for (int key = writer; key < kWriters * kKeysEach; key += kWriters) {
        EXPECT_TRUE(WritePrivateProfileString("View", std::to_string(key), "1", ini));
        EXPECT_TRUE(RegistryStore(registry.filePath()).SetDword(kKey, std::to_string(key), 1));
      }
    });
  }
  for (std::thread& writer : writers) writer.join();
  for (int key = 0; key < kWriters * kKeysEach; ++key) {
    EXPECT_EQ(GetPrivateProfileInt("View", std::to_string(key), 0, ini), 1) << key;
    EXPECT_EQ(registry.GetDword(kKey, std::to_string(key)), 1u) << key;
  }
  // A write whose lock is held too long fails and changes nothing.
  testing::TempFolder held;
  const std::string locked = held.Write("Tavrek.ini", "[View]\r\nTB=1\r\n");
  auto stuck = std::make_unique<UpdateLock>(locked);  // a peer that never lets go
  EXPECT_FALSE(WritePrivateProfileString("View", "TB", "0", locked));
  EXPECT_FALSE(WritePrivateProfileString("View", "TB", "0", locked));  // tried once, not waited for
  EXPECT_EQ(ReadWholeFile(locked).bytes, "[View]\r\nTB=1\r\n");
  stuck.reset();
  EXPECT_TRUE(WritePrivateProfileString("View", "TB", "0", locked));
}

// Where the settings live and what the system is called.
using testing::ScopedEnvironment;

std::string KernelTail() {
  utsname system{};
  uname(&system);
  return std::string(" | ") + system.release + " | " + system.machine;
}

TEST(ConfigPathsTest, FollowXdgConfigHomeThenHomeThenTheAccountAndNameTheSystem) {
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
  // What the system is called: its pretty name, kernel release and machine.
  testing::TempFolder etc;
  const std::pair<std::string, std::string> names[] = {
      {"NAME=\"Debian\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nID=debian\n",
       "Debian GNU/Linux 12 (bookworm)"},
      {"PRETTY_NAME='Single quoted'\r\n", "Single quoted"},
      {"PRETTY_NAME=Unquoted\n", "Unquoted"},
      {"PRETTY_NAME=\"Escaped \\\"name\\\" \\$HOME\"\n", "Escaped \"name\" $HOME"},
      {"NAME=NoPretty\n", "Linux"},
      {"", "Linux"},
  };
  for (const auto& [content, name] : names) {
    const std::string file = etc.Write("os-release", content);
    EXPECT_EQ(OperatingSystemText(file), name + KernelTail()) << content;
  }
  // Unopenable and unreadable sources are told apart.
  EXPECT_EQ(OperatingSystemText((etc / "missing").string()), "ERR-1");
  EXPECT_EQ(OperatingSystemText(etc.path().string()), "ERR");
  EXPECT_NE(OperatingSystemText(), "ERR-1");
}

}  // namespace
}  // namespace tavrek::platform
