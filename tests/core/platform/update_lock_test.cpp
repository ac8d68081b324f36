#include "core/platform/update_lock.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "core/platform/file_io.h"
#include "core/platform/profile.h"
#include "core/platform/registry_store.h"
#include "support/temp_folder.h"

namespace tavrek::platform {
namespace {

// Writers of one file, each setting keys of its own while the others do the
// same; each write re-reads the file, so a write without the lock loses
// keys another writer set between its read and its rename.
TEST(UpdateLockTest, InterleavedWritersOfOneFileKeepEveryKey) {
  testing::TempFolder folder;
  const std::string ini = (folder / "cfg/Tavrek.ini").string();
  const std::string reg = (folder / "cfg/registry.reg").string();
  constexpr int kWriters = 3;
  constexpr int kKeysEach = 40;
  std::vector<std::thread> writers;
  for (int writer = 0; writer < kWriters; ++writer) {
    writers.emplace_back([&, writer] {
      RegistryStore registry(reg);
      for (int key = 0; key < kKeysEach; ++key) {
        const std::string name = std::to_string(writer) + "_" + std::to_string(key);
        EXPECT_TRUE(WritePrivateProfileString("View", name, std::to_string(key), ini));
        EXPECT_TRUE(registry.SetDword("Software\\Quorvane\\Tavrek", name, key));
      }
    });
  }
  for (std::thread& writer : writers) writer.join();
  const RegistryStore registry(reg);
  for (int writer = 0; writer < kWriters; ++writer) {
    for (int key = 0; key < kKeysEach; ++key) {
      const std::string name = std::to_string(writer) + "_" + std::to_string(key);
      EXPECT_EQ(GetPrivateProfileInt("View", name, -1, ini), key) << name;
      EXPECT_EQ(registry.GetDword("Software\\Quorvane\\Tavrek", name), key) << name;
    }
  }
}

TEST(UpdateLockTest, AWriteWhoseLockIsHeldTooLongFailsAndChangesNothing) {
  testing::TempFolder folder;
  const std::string ini = folder.Write("Tavrek.ini", "[View]\r\nTB=1\r\n");
  {
    const UpdateLock stuck(ini);  // a peer that never lets go
    ASSERT_TRUE(stuck.held());
    EXPECT_FALSE(UpdateLock(ini, std::chrono::milliseconds(0)).held());
    EXPECT_FALSE(WritePrivateProfileString("View", "TB", "0", ini));
    EXPECT_EQ(ReadWholeFile(ini).bytes, "[View]\r\nTB=1\r\n");
  }
  EXPECT_TRUE(WritePrivateProfileString("View", "TB", "0", ini));
}

}  // namespace
}  // namespace tavrek::platform
