#include "core/install/uninstaller.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "core/platform/file_io.h"
#include "core/platform/run_program.h"
#include "core/install/install_entries.h"
#include "core/install/installer_command_line.h"
#include "core/install/install_texts.h"
#include "support/temp_folder.h"

namespace tavrek::install {
namespace {

namespace fs = std::filesystem;
constexpr std::chrono::milliseconds kToolTimeout{30000};

class RecordedHooks : public InstallerHooks {
 public:
  void ShowInstallDialog() override { shown.push_back("install"); }
  bool ShowUninstallDialog(const std::string& listPath) override {
    shown.push_back("uninstall " + listPath);
    return uninstalls;
  }
  void ShowError(const std::string& text) override { shown.push_back("error " + text); }
  bool StartProgram(const std::vector<std::string>& arguments) override {
    started = arguments;
    return starts;
  }
  bool uninstalls = true;  // false: cancelled or failed
  bool starts = true;
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
  Handle("-uninstall+ /a+b/c d/L.ini", "/x/tavrek");  // the path as an argument of its own
  const InstallerOutcome emptyList = Handle("-uninstall+", "/x/tavrek");
  EXPECT_TRUE(emptyList.handled);
  EXPECT_FALSE(emptyList.uninstalled);
  EXPECT_TRUE(Handle("", "/home/u/Tavrek_Install").handled);
  EXPECT_TRUE(Handle("x.tvk", "/home/u/SETUP_tavrek").handled);
  EXPECT_FALSE(Handle("", "/usr/bin/tavrek").handled);
  EXPECT_FALSE(Handle("-install ", "/usr/bin/tavrek").handled);
  EXPECT_FALSE(Handle("", "Tavrek_Install").handled);  // no folder in the path
  EXPECT_EQ(hooks_.shown, (std::vector<std::string>{"install", "uninstall /a b/L.ini",
                                                    "uninstall /a+b/c d/L.ini", "install",
                                                    "install"}));
  EXPECT_TRUE(hooks_.started.empty());  // /x/tavrek is no uninstall copy: it stays
}

TEST_F(UninstallerTest, UninstallRelaunchesFromACopyInAFreshPrivateFolder) {
  const std::string program = installed_.Write("a+b/tavrek", "program bytes").string();
  ASSERT_TRUE(Handle("-uninstall", program).handled);
  ASSERT_EQ(hooks_.started.size(), 3u);
  const std::string copy = hooks_.started[0];
  const std::string list = installed_.slashed() + "a+b/Tavrek_Uninstall.ini";
  EXPECT_EQ(hooks_.started[1], "-uninstall+");
  EXPECT_EQ(hooks_.started[2], list);
  const fs::path folder = fs::path(copy).parent_path();
  EXPECT_EQ(folder.parent_path(), temp_.path());
  EXPECT_NE(folder.filename(), "tavrek-uninstall-XXXXXX");
  EXPECT_EQ(platform::ReadWholeFile(copy).bytes, "program bytes");
  struct stat status {};
  ASSERT_EQ(stat(folder.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0700u);

  // A second relaunch never reuses the folder.
  ASSERT_TRUE(Handle("-uninstall", program).handled);
  const std::string second = hooks_.started[0];
  EXPECT_NE(fs::path(second).parent_path(), folder);

  // The copy started with those arguments (joined by one blank) finds the
  // whole list path and goes afterwards, however the dialog ended: by its
  // script, or at once when no script can start.
  hooks_.uninstalls = false;
  Handle("-uninstall+ " + list, second);
  EXPECT_EQ(hooks_.shown.back(), "uninstall " + list);
  EXPECT_EQ(hooks_.started, (std::vector<std::string>{
                                "/bin/sh", fs::path(second).parent_path() / "_uninsep.sh"}));
  hooks_.starts = false;
  Handle("-uninstall+ " + list, second);
  EXPECT_FALSE(fs::exists(fs::path(second).parent_path()));

  // The script waits for the copy's process, then leaves nothing behind.
  const pid_t ended = fork();
  if (ended == 0) _exit(0);
  waitpid(ended, nullptr, 0);
  const std::string script = WriteSelfDeleteScript(copy, ended);
  ASSERT_FALSE(script.empty());
  EXPECT_EQ(fs::path(script).parent_path(), folder);
  ASSERT_TRUE(platform::RunProgram("/bin/sh", {"/bin/sh", script}, kToolTimeout));
  EXPECT_FALSE(fs::exists(folder));
  const std::string text = SelfDeleteScript("/tmp/a b/T", "/tmp/a b/s.sh", 42);
  EXPECT_EQ(text.substr(text.rfind('\n') + 1), "rmdir '/tmp/a b'");  // no line end
}

TEST_F(UninstallerTest, ACopyThatCannotBeMadeIsReportedAndNothingStarts) {
  ASSERT_TRUE(Handle("-uninstall", (installed_ / "fehlt").string()).handled);
  ASSERT_EQ(hooks_.shown.size(), 1u);
  EXPECT_TRUE(hooks_.shown[0].starts_with("error Fehler, beim Öffnen der Zieldatei.\n"));
  EXPECT_TRUE(hooks_.started.empty());
  EXPECT_TRUE(fs::is_empty(temp_.path()));

  // A copy that cannot be started goes at once.
  hooks_.starts = false;
  ASSERT_TRUE(Handle("-uninstall", installed_.Write("tavrek", "x").string()).handled);
  EXPECT_EQ(hooks_.shown.back(), "error " + StartFailure(hooks_.started[0]));
  EXPECT_TRUE(fs::is_empty(temp_.path()));
}

TEST_F(UninstallerTest, MissingEntriesAreSkippedAndBlanksTrimmed) {
  const app::DesktopFolders user = app::DesktopFolders::For(installed_.path().string(), "", "");
  const std::string group = user.Applications() + "/Gruppe";
  const std::string kept = installed_.Write("Ziel/fremd.txt", "x").string();
  const std::string later = installed_.Write(".local/share/applications/Gruppe/b.desktop").string();
  const std::string list = installed_.Write(
      "Ziel/L.ini", installed_.slashed() + "Ziel/tavrek\r\n  " + later + " \r\n*" + group + "\r\n").string();
  platform::RegistryStore registry((temp_ / "registry.reg").string());
  const UninstallReport report = Uninstall(list, user, "", registry);
  EXPECT_TRUE(report.ran);
  EXPECT_EQ(report.failure, "");
  EXPECT_FALSE(fs::exists(later));
  EXPECT_FALSE(fs::exists(group));
  EXPECT_TRUE(fs::exists(kept));

  const UninstallReport missing = Uninstall((installed_ / "weg.ini").string(), user, "", registry);
  EXPECT_FALSE(missing.ran);
  EXPECT_EQ(missing.failure, ListOpenFailure((installed_ / "weg.ini").string()));
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
}  // namespace tavrek::install
