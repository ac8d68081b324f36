#include "core/app/shell_registration.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>

#include "core/platform/file_io.h"
#include "core/platform/run_program.h"
#include "support/temp_folder.h"

namespace tavrek::app {
namespace {

namespace fs = std::filesystem;
constexpr std::chrono::milliseconds kToolTimeout{30000};

class ShellRegistrationTest : public ::testing::Test {
 protected:
  std::string Read(const std::string& path) const { return platform::ReadWholeFile(path).bytes; }

  testing::TempFolder home_;
  DesktopFolders folders_ = DesktopFolders::For(home_.path().string(), "", "");
  std::string program_ = (home_ / "Meine Programme/tavrek").string();
};

TEST_F(ShellRegistrationTest, WritesTheTypeAndEntryOnceAndFollowsAMovedProgram) {
  ASSERT_EQ(RegisterDocumentType(folders_, program_, false), WriteOutcome::Written);
  EXPECT_NE(Read(MimePackagePath(folders_)).find("<glob pattern=\"*.tvk\"/>"), std::string::npos);
  EXPECT_NE(Read(MimePackagePath(folders_)).find("<comment>Tavrek - Document</comment>"),
            std::string::npos);
  const std::string entry = Read(ProgramEntryPath(folders_));
  EXPECT_NE(entry.find("Exec=\"" + program_ + "\" %f\n"), std::string::npos);
  EXPECT_NE(entry.find("MimeType=application/x-tavrek;\n"), std::string::npos);
  EXPECT_TRUE(fs::exists(UserIconPath(folders_)));

  const auto stamp = fs::last_write_time(ProgramEntryPath(folders_));
  EXPECT_EQ(RegisterDocumentType(folders_, program_, false), WriteOutcome::Unchanged);
  EXPECT_EQ(fs::last_write_time(ProgramEntryPath(folders_)), stamp);

  const std::string moved = (home_ / "bin/tavrek").string();
  EXPECT_EQ(RegisterDocumentType(folders_, moved, false), WriteOutcome::Written);
  EXPECT_NE(Read(ProgramEntryPath(folders_)).find("Exec=" + moved + " %f\n"), std::string::npos);
}

TEST_F(ShellRegistrationTest, ExecArgumentsQuoteAndEscapeWhatTheEntryFormatReserves) {
  EXPECT_EQ(ExecArgument("/usr/bin/tavrek"), "/usr/bin/tavrek");
  EXPECT_EQ(ExecArgument("/a b/t"), "\"/a b/t\"");
  EXPECT_EQ(ExecArgument("/a$b\"c"), "\"/a\\\\$b\\\\\"c\"");
  EXPECT_EQ(ExecArgument("/100%/t"), "/100%%/t");
  EXPECT_EQ(ExecArgument("/a\\b"), "\"/a\\\\\\\\b\"");
}

TEST_F(ShellRegistrationTest, TheWrittenEntryValidates) {
  const std::string validator = platform::FindProgram("desktop-file-validate");
  if (validator.empty()) GTEST_SKIP() << "desktop-file-validate is not installed";
  ASSERT_EQ(RegisterDocumentType(folders_, "/opt/a \"b\" $c/tavrek", false),
            WriteOutcome::Written);
  EXPECT_TRUE(platform::RunProgram(validator, {validator, ProgramEntryPath(folders_)},
                                   kToolTimeout));
}

// The real desktop tools, pointed at the temporary folders only.
TEST_F(ShellRegistrationTest, TheDesktopToolsSeeTheTypeAndItsProgram) {
  const std::string xdgMime = platform::FindProgram("xdg-mime");
  if (xdgMime.empty() || platform::FindProgram("gio").empty() || platform::FindProgram("update-mime-database").empty() ||
      platform::FindProgram("update-desktop-database").empty()) {
    GTEST_SKIP() << "xdg-mime, gio, update-mime-database or update-desktop-database is missing";
  }
  const std::string dataDirs = (home_ / "system-data").string();
  fs::create_directories(dataDirs);
  const std::string tool = "/usr/bin/env";
  const std::vector<std::string> environment = {
      tool, "-i", "HOME=" + folders_.home, "XDG_DATA_HOME=" + folders_.dataHome,
      "XDG_CONFIG_HOME=" + folders_.configHome, "XDG_DATA_DIRS=" + dataDirs,
      "PATH=/usr/bin:/bin", "XDG_CURRENT_DESKTOP=GNOME"};
  ASSERT_EQ(RegisterDocumentType(folders_, program_, true), WriteOutcome::Written);
  const std::string document = home_.Write("Setup eins.tvk", "[DIR]\r\n").string();

  auto filetype = environment;
  filetype.insert(filetype.end(), {xdgMime, "query", "filetype", document});
  EXPECT_EQ(platform::RunProgram(tool, filetype, kToolTimeout).value_or("?"),
            "application/x-tavrek\n");
  auto byDefault = environment;
  byDefault.insert(byDefault.end(), {xdgMime, "query", "default", "application/x-tavrek"});
  EXPECT_EQ(platform::RunProgram(tool, byDefault, kToolTimeout).value_or("?"),
            std::string(kDesktopId) + "\n");
}

// The package installs these files; a start writes the same for the user.
TEST(ShippedRegistrationTest, ThePackagesFilesAgreeWithWhatAStartWrites) {
  const std::string resources = TAVREK_RESOURCES_DIR;
  EXPECT_EQ(platform::ReadWholeFile(resources + "/mime/tavrek.xml").bytes, DocumentMimePackage());
  EXPECT_EQ(platform::ReadWholeFile(resources + "/desktop/" + std::string(kDesktopId)).bytes,
            ProgramDesktopEntry("tavrek"));
}

}  // namespace
}  // namespace tavrek::app
