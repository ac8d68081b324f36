#include "core/platform/file_io.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

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
}

TEST(FileIoTest, AtomicWriteKeepsModeAndWritesThroughSymbolicLinks) {
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
}

TEST(FileIoTest, AWriteRemovesTheTemporaryFilesOfItsDeadWritersOnly) {
  testing::TempFolder folder;
  const pid_t dead = fork();
  if (dead == 0) _exit(0);
  ASSERT_EQ(waitpid(dead, nullptr, 0), dead);
  const auto stale = folder.Write(".Tavrek.ini." + std::to_string(dead) + ".3.tmp");
  const auto alive = folder.Write(".Tavrek.ini.1.0.tmp");  // pid 1 never ends
  const auto other = folder.Write(".other.ini." + std::to_string(dead) + ".3.tmp");
  ASSERT_TRUE(WriteFileAtomically((folder / "Tavrek.ini").string(), "new"));
  EXPECT_FALSE(std::filesystem::exists(stale));
  EXPECT_TRUE(std::filesystem::exists(alive) && std::filesystem::exists(other));
}

TEST(FileIoTest, AtomicWriteRefusesFoldersAndPathsBelowFiles) {
  testing::TempFolder folder;
  const std::string file = folder.Write("plain", "kept");
  EXPECT_FALSE(WriteFileAtomically(folder.path().string(), "x"));
  EXPECT_FALSE(WriteFileAtomically(file + "/below", "x"));
  EXPECT_FALSE(WriteFileAtomically("", "x"));
  EXPECT_EQ(ReadWholeFile(file).bytes, "kept");
}

TEST(FileIoTest, TextFileReadTakesRegularFilesUpToTheLimitOnly) {
  testing::TempFolder folder;
  const std::string file = folder.Write("a.ini", "12345");
  EXPECT_EQ(ReadTextFile(file, 5).bytes, "12345");
  EXPECT_EQ(ReadTextFile(file, 5).message, "");
  const FileContent large = ReadTextFile(file, 4);
  EXPECT_EQ(large.status, ReadStatus::TooLarge);
  EXPECT_EQ(large.bytes, "");
  EXPECT_NE(large.message.find(file), std::string::npos);

  const std::string fifo = (folder / "fifo").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(ReadTextFile(fifo).status, ReadStatus::NotRegular);
  EXPECT_EQ(ReadTextFile("/dev/zero").status, ReadStatus::NotRegular);
  EXPECT_EQ(ReadTextFile(folder.path().string()).status, ReadStatus::NotRegular);
  EXPECT_EQ(ReadTextFile((folder / "missing").string()).message, "");
  EXPECT_TRUE(IsReadError(ReadStatus::NotRegular) && IsReadError(ReadStatus::TooLarge));
}

}  // namespace
}  // namespace tavrek::platform
