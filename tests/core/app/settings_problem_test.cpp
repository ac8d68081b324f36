#include "core/app/settings_problem.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <optional>

#include "core/app/settings_store.h"
#include "core/platform/file_io.h"
#include "core/platform/update_lock.h"
#include "support/temp_folder.h"

namespace tavrek::app {
namespace {

// What has the file's name, read without waiting on a FIFO.
std::pair<std::filesystem::file_type, std::string> Kept(const std::filesystem::path& file) {
  return {std::filesystem::status(file).type(), platform::ReadTextFile(file.string()).bytes};
}

// Each unusable settings file: the write fails, the listener hears why, and
// whatever has the file's name is left exactly as it was.
TEST(SettingsProblemTest, AFailedWriteSaysWhyAndLeavesTheFileAlone) {
  using Make = std::function<void(const std::filesystem::path&)>;
  struct Case {
    Make make;
    SettingsProblem read;
    SettingsProblem write;
  } const cases[] = {
      {[](const auto& file) { mkfifo(file.c_str(), 0600); }, SettingsProblem::kNotAFile, SettingsProblem::kNotAFile},
      {[](const auto& file) { std::filesystem::create_directory(file); }, SettingsProblem::kFolder,
       SettingsProblem::kFolder},
      {[](const auto& file) {
         platform::WriteFileAtomically(file.string(), "[View]\r\nTB=0\r\n");
         std::filesystem::permissions(file, std::filesystem::perms::owner_read);
       },
       SettingsProblem::kNone, SettingsProblem::kReadOnly},
      {[](const auto& file) { platform::WriteFileAtomically(file.string(), std::string("\xff\xfe[\0V\0", 6)); },
       SettingsProblem::kNotText, SettingsProblem::kNotText},
  };
  for (const Case& c : cases) {
    testing::TempFolder folder;
    const std::filesystem::path file = folder / "Tavrek.ini";
    c.make(file);
    const auto before = Kept(file);
    SettingsStore store(file.string());
    std::optional<SettingsProblem> heard;
    store.SetWriteFailureListener([&](SettingsProblem problem) { heard = problem; });
    EXPECT_EQ(ReadProblemOf(file.string()), c.read);
    EXPECT_FALSE(store.WriteInt("View", "TB", 1));
    EXPECT_EQ(heard, c.write);
    EXPECT_EQ(Kept(file), before);
    EXPECT_NE(SettingsProblemText(SettingsAccess::kSave, c.write, file.string()).find(file.string()),
              std::string::npos);
  }
}

TEST(SettingsProblemTest, ALockHeldElsewhereIsNamedAsSuch) {
  testing::TempFolder folder;
  const std::string file = folder.Write("Tavrek.ini", "[View]\r\nTB=0\r\n").string();
  EXPECT_EQ(WriteProblemOf(file), SettingsProblem::kWriteFailed);
  const platform::UpdateLock other(file);
  ASSERT_TRUE(other.held());
  EXPECT_EQ(WriteProblemOf(file), SettingsProblem::kLocked);
}

}  // namespace
}  // namespace tavrek::app
