#include "core/setup/uninstaller.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "core/platform/file_io.h"
#include "core/platform/run_program.h"
#include "core/setup/install_entries.h"
#include "core/setup/installer_command_line.h"
#include "core/setup/setup_texts.h"
#include "support/temp_folder.h"

namespace tavrek::setup {
namespace {

namespace fs = std::filesystem;
constexpr std::chrono::milliseconds kToolTimeout{30000};

class RecordedHooks : public InstallerHooks {
 public:
  void ShowInstallDialog() override { shown.push_back("install"); }
  bool ShowUninstallDialog(const std::string& listPath) override {
    shown.push_back("uninstall " + listPath);
    return true;
  }
  void ShowError(const std::string& text) override { shown.push_back("error " + text); }
  bool StartProgram(const std::vector<std::string>& arguments) override {
    started = arguments;
    return true;
  }
  std::vector<std::string> shown;
  std::vector<std::string> started;
};

class UninstallerTest : public ::testing::Test {
 protected:
  InstallerOutcome Handle(const std::string& tail, const std::string& program) {
    return HandleInstallerCommandLine(tail, program, hooks_, temp_.path().string());
  }

  testing::TempFolder temp_;
  testing::TempFolder installed_;
  RecordedHooks hooks_;
};

TEST_F(UninstallerTest, CommandLineFormsAreTriedInOrder) {
  EXPECT_TRUE(Handle("-install", "/opt/Tavrek/tavrek").handled);
  const InstallerOutcome fromList = Handle("-uninstall+/a b/L.ini+rest", "/x/tavrek");
  EXPECT_TRUE(fromList.handled);
  EXPECT_TRUE(fromList.uninstalled);
  const InstallerOutcome emptyList = Handle("-uninstall+", "/x/tavrek");
  EXPECT_TRUE(emptyList.handled);
  EXPECT_FALSE(emptyList.uninstalled);
  EXPECT_TRUE(Handle("", "/home/u/Tavrek_Install").handled);
  EXPECT_TRUE(Handle("x.tvk", "/home/u/SETUP_tavrek").handled);
  EXPECT_FALSE(Handle("", "/usr/bin/tavrek").handled);
  EXPECT_FALSE(Handle("-install ", "/usr/bin/tavrek").handled);
  EXPECT_FALSE(Handle("", "Tavrek_Install").handled);  // no folder in the path
  EXPECT_EQ(hooks_.shown, (std::vector<std::string>{"install", "uninstall /a b/L.ini", "install",
                                                    "install"}));
}

TEST_F(UninstallerTest, UninstallRelaunchesFromACopyInAFreshPrivateFolder) {
  const std::string program = installed_.Write("tavrek", "program bytes").string();
  ASSERT_TRUE(Handle("-uninstall", program).handled);
  ASSERT_EQ(hooks_.started.size(), 2u);
  const std::string copy = hooks_.started[0];
  EXPECT_EQ(hooks_.started[1], "-uninstall+" + installed_.slashed() + "Tavrek_Uninstall.ini");
  const fs::path folder = fs::path(copy).parent_path();
  EXPECT_EQ(folder.parent_path(), temp_.path());
  EXPECT_NE(folder.filename(), "tavrek-uninstall-XXXXXX");
  EXPECT_EQ(platform::ReadWholeFile(copy).bytes, "program bytes");
  struct stat status {};
  ASSERT_EQ(stat(folder.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0700u);

  // A second relaunch never reuses the folder.
  ASSERT_TRUE(Handle("-uninstall", program).handled);
  EXPECT_NE(fs::path(hooks_.started[0]).parent_path(), folder);

  // The script waits for the copy's process, then leaves nothing behind.
  const pid_t ended = fork();
  if (ended == 0) _exit(0);
  waitpid(ended, nullptr, 0);
  const std::string script = WriteSelfDeleteScript(copy, ended);
  ASSERT_FALSE(script.empty());
  EXPECT_EQ(fs::path(script).parent_path(), folder);
  ASSERT_TRUE(platform::RunProgram("/bin/sh", {"/bin/sh", script}, kToolTimeout));
  EXPECT_FALSE(fs::exists(folder));
}

TEST_F(UninstallerTest, ACopyThatCannotBeMadeIsReportedAndNothingStarts) {
  ASSERT_TRUE(Handle("-uninstall", (installed_ / "fehlt").string()).handled);
  ASSERT_EQ(hooks_.shown.size(), 1u);
  EXPECT_TRUE(hooks_.shown[0].starts_with("error Fehler, beim Öffnen der Zieldatei.\n"));
  EXPECT_TRUE(hooks_.started.empty());
  EXPECT_TRUE(fs::is_empty(temp_.path()));
}

TEST_F(UninstallerTest, MissingEntriesAreSkippedAndBlanksTrimmed) {
  const std::string kept = installed_.Write("fremd.txt", "x").string();
  const std::string later = installed_.Write("Gruppe/b.desktop", "x").string();
  const std::string list = installed_.Write(
      "L.ini", "/nirgends/tavrek\r\n  " + later + " \r\n*" + installed_.slashed() + "Gruppe\r\n").string();
  platform::RegistryStore registry((temp_ / "registry.reg").string());
  EXPECT_TRUE(Uninstall(list, registry).ran);
  EXPECT_FALSE(fs::exists(later));
  EXPECT_FALSE(fs::exists(installed_ / "Gruppe"));
  EXPECT_TRUE(fs::exists(kept));

  const UninstallReport missing = Uninstall((installed_ / "weg.ini").string(), registry);
  EXPECT_FALSE(missing.ran);
  EXPECT_EQ(missing.failure, ListOpenFailure((installed_ / "weg.ini").string()));
}

TEST_F(UninstallerTest, TheScriptEndsWithoutALineEnd) {
  const std::string text = SelfDeleteScript("/tmp/a b/T", "/tmp/a b/s.sh", 42);
  EXPECT_EQ(text.substr(text.rfind('\n') + 1), "rmdir '/tmp/a b'");
}

TEST_F(UninstallerTest, TheProgramGroupEntriesValidate) {
  const std::string validator = platform::FindProgram("desktop-file-validate");
  if (validator.empty()) GTEST_SKIP() << "desktop-file-validate is not installed";
  for (GroupEntry entry : {GroupEntry::Program, GroupEntry::Help, GroupEntry::Uninstall}) {
    const std::string path =
        installed_.Write(GroupEntryFile(entry), GroupEntryText(entry, "/a b/tavrek")).string();
    EXPECT_TRUE(platform::RunProgram(validator, {validator, path}, kToolTimeout)) << path;
  }
  const std::string directory = installed_.Write("t.directory", GroupDirectoryText()).string();
  EXPECT_TRUE(platform::RunProgram(validator, {validator, directory}, kToolTimeout));
}

}  // namespace
}  // namespace tavrek::setup
