#include "core/platform/update_lock.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include "core/platform/file_io.h"
#include "core/platform/profile.h"
#include "core/platform/registry_store.h"
#include "support/temp_folder.h"

namespace tavrek::platform {
namespace {

constexpr std::string_view kKey = "Software\\Quorvane\\Tavrek";

// Writers of one file each set keys of their own at the same time: a write
// without the lock loses keys set between its read and its rename.
TEST(UpdateLockTest, InterleavedWritersOfOneFileKeepEveryKey) {
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
}

TEST(UpdateLockTest, AWriteWhoseLockIsHeldTooLongFailsAndChangesNothing) {
  testing::TempFolder folder;
  const std::string ini = folder.Write("Tavrek.ini", "[View]\r\nTB=1\r\n");
  auto stuck = std::make_unique<UpdateLock>(ini);  // a peer that never lets go
  EXPECT_FALSE(WritePrivateProfileString("View", "TB", "0", ini));
  EXPECT_EQ(ReadWholeFile(ini).bytes, "[View]\r\nTB=1\r\n");
  stuck.reset();
  EXPECT_TRUE(WritePrivateProfileString("View", "TB", "0", ini));
}

}  // namespace
}  // namespace tavrek::platform
