// The installer, the uninstaller and the command lines that start them.
#include "core/install/installer.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <set>

#include "core/app/shell_registration.h"
#include "core/install/install_entries.h"
#include "core/install/install_texts.h"
#include "core/install/installer_command_line.h"
#include "core/install/uninstaller.h"
#include "core/platform/file_io.h"
#include "core/platform/registry_store.h"
#include "core/platform/run_program.h"
#include "support/temp_folder.h"

namespace tavrek::install {
namespace {

namespace fs = std::filesystem;
constexpr std::chrono::milliseconds kToolTimeout{30000};


class RecordedQuestions : public InstallQuestions {
 public:
  bool ConfirmOverwrite(const std::string& text) override {
    asked.push_back(text);
    return overwrite;
  }
  bool RetryCopy(const std::string& text) override {
    asked.push_back(text);
    return false;
  }
  void Tell(const std::string& caption, const std::string& text) override {
    asked.push_back(caption + ": " + text);
  }
  bool overwrite = true;
  std::vector<std::string> asked;
};

// Every regular file and folder below `root`, as absolute paths.
std::set<std::string> Everything(const fs::path& root) {
  std::set<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(root)) found.insert(entry.path());
  return found;
}

// Runs `body` where permissions hold: as root, in a child that has become
// nobody and owns `tree`. True when `body` returned true.
bool AsOrdinaryUser(const fs::path& tree, const std::function<bool()>& body) {
  constexpr uid_t kNobody = 65534;
  if (geteuid() != 0) return body();
  const pid_t child = fork();
  if (child == 0) {
    lchown(tree.c_str(), kNobody, kNobody);
    for (const auto& entry : fs::recursive_directory_iterator(tree)) {
      lchown(entry.path().c_str(), kNobody, kNobody);
    }
    const bool dropped = setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0;
    _exit(dropped && body() ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class InstallerTest : public ::testing::Test {
 protected:
  InstallerTest() {
    program_ = home_.Write("Downloads/Tavrek_Install", "#!/bin/sh\necho program\n").string();
    folders_ = FoldersForScope(InstallScope::OnlyMe, user_, desktop_);
    choices_.targetFolder = DefaultTargetFolder(folders_);
    choices_.groupName = "Tavrek";
  }

  std::string List() const { return choices_.targetFolder + "/Tavrek_Uninstall.ini"; }
  UninstallReport UninstallNow(platform::RegistryStore& registry) {
    return Uninstall(List(), user_, desktop_, registry);
  }

  testing::TempFolder home_;
  app::DesktopFolders user_ = app::DesktopFolders::For(home_.path().string(), "", "");
  std::string desktop_ = home_.path() / "Schreibtisch";
  InstallFolders folders_;
  InstallChoices choices_;
  std::string program_;
  RecordedQuestions questions_;
};

TEST_F(InstallerTest, InstallWritesExactlyWhatTheListNamesAndUninstallRemovesIt) {
  const auto before = Everything(home_.path());
  const InstallReport report = Install(choices_, folders_, program_, questions_, false);
  ASSERT_TRUE(report.installed);
  EXPECT_TRUE(questions_.asked.empty());

  const std::string list = choices_.targetFolder + "/Tavrek_Uninstall.ini";
  const std::string text = platform::ReadWholeFile(list).bytes;
  EXPECT_EQ(text, FormatUninstallList(report.listLines));
  EXPECT_EQ(report.listLines[0], choices_.targetFolder + "/tavrek");
  EXPECT_EQ(report.listLines[1], list);
  EXPECT_EQ(platform::ReadWholeFile(report.listLines[0]).bytes,
            platform::ReadWholeFile(program_).bytes);

  // Everything new is either listed or a folder on the way to a listed file.
  std::set<std::string> listed;
  for (const std::string& line : report.listLines) listed.insert(line[0] == '*' ? line.substr(1) : line);
  for (const std::string& path : Everything(home_.path())) {
    if (before.contains(path) || listed.contains(path)) continue;
    EXPECT_TRUE(fs::is_directory(path)) << path << " was made but is not listed";
  }
  for (const std::string& path : listed) EXPECT_TRUE(fs::exists(path)) << path;
  EXPECT_TRUE(listed.contains(home_.path() / "Schreibtisch/Tavrek.desktop"));
  EXPECT_EQ(report.launches, std::vector<std::vector<std::string>>{{report.listLines[0]}});
  // The installed program's first start registers the document type.
  ASSERT_NE(app::RegisterDocumentType(user_, report.listLines[0], false), app::WriteOutcome::Failed);

  // A file of the user's own in the program group keeps the folder.
  const std::string group = user_.Applications() + "/Tavrek";
  home_.Write(".local/share/applications/Tavrek/eigene.desktop", "mine");
  platform::RegistryStore registry((home_ / "registry.reg").string());
  ASSERT_TRUE(registry.SetString("Software\\Quorvane\\Tavrek", "WinRC", "1"));
  ASSERT_TRUE(registry.SetString("Software\\Quorvane\\Tavrek\\Unter", "x", "1"));
  ASSERT_TRUE(registry.SetString("Software\\Quorvane\\Andere", "x", "1"));

  const UninstallReport removed = UninstallNow(registry);
  EXPECT_TRUE(removed.ran);
  EXPECT_EQ(removed.failure, "");
  for (const std::string& path : listed) {
    if (path != group) {
      EXPECT_FALSE(fs::exists(path)) << path;
    }
  }
  EXPECT_TRUE(fs::exists(group + "/eigene.desktop"));
  // The folders the installer made went with it, and so did the document type.
  for (const std::string& path : {choices_.targetFolder, folders_.menus, folders_.directories,
                                  app::MimePackagePath(user_), app::UserIconPath(user_),
                                  app::ProgramEntryPath(user_)}) {
    EXPECT_FALSE(fs::exists(path)) << path;
  }
  EXPECT_FALSE(registry.KeyExists("Software\\Quorvane\\Tavrek"));
  EXPECT_TRUE(registry.KeyExists("Software\\Quorvane\\Andere"));
}

TEST_F(InstallerTest, UninstallRemovesNothingTheInstallerDidNotMake) {
  ASSERT_TRUE(Install(choices_, folders_, program_, questions_, false).installed);
  // Another copy of the program registered the document type last.
  ASSERT_NE(app::RegisterDocumentType(user_, "/usr/bin/tavrek", false), app::WriteOutcome::Failed);
  const std::string outside = home_.Write("Dokumente/wichtig.txt", "x").string();
  const std::string upward = choices_.targetFolder + "/../../../Dokumente/wichtig.txt";
  home_.Write("Woanders/Tavrek.desktop", "x");
  fs::create_directory_symlink(home_ / "Woanders", user_.Applications() + "/Verweis");
  const std::string linked = user_.Applications() + "/Verweis/Tavrek.desktop";
  const std::string added =
      FormatUninstallList({outside, upward, linked, "*" + user_.Applications() + "/Verweis"});
  ASSERT_TRUE(platform::WriteFileAtomically(List(), platform::ReadWholeFile(List()).bytes + added));
  platform::RegistryStore registry((home_ / "registry.reg").string());
  ASSERT_TRUE(registry.SetString("Software\\Quorvane\\Tavrek", "WinRC", "1"));

  const UninstallReport removed = UninstallNow(registry);
  EXPECT_TRUE(removed.ran);
  for (const std::string& path : {outside, upward, linked}) {
    EXPECT_NE(removed.failure.find("\n" + path + " ("), std::string::npos) << removed.failure;
  }
  EXPECT_TRUE(fs::exists(outside));
  EXPECT_TRUE(fs::exists(home_ / "Woanders/Tavrek.desktop"));
  EXPECT_TRUE(fs::is_symlink(user_.Applications() + "/Verweis"));
  EXPECT_TRUE(fs::exists(app::MimePackagePath(user_)));
  EXPECT_FALSE(fs::exists(choices_.targetFolder + "/tavrek"));
  EXPECT_FALSE(registry.KeyExists("Software\\Quorvane\\Tavrek"));
}

TEST_F(InstallerTest, AnUninstallThatCannotRemoveTheProgramSaysSoAndKeepsTheSettings) {
  ASSERT_TRUE(Install(choices_, folders_, program_, questions_, false).installed);
  const std::string program = choices_.targetFolder + "/tavrek";
  {
    platform::RegistryStore registry((home_ / "registry.reg").string());
    ASSERT_TRUE(registry.SetString("Software\\Quorvane\\Tavrek", "WinRC", "1"));
  }
  ASSERT_EQ(chmod(choices_.targetFolder.c_str(), 0555), 0);
  EXPECT_TRUE(AsOrdinaryUser(home_.path(), [&] {
    platform::RegistryStore registry((home_ / "registry.reg").string());
    const UninstallReport removed = UninstallNow(registry);
    return !removed.ran && removed.failure.starts_with("Tavrek wurde nicht vollständig") &&
           removed.failure.find("\n" + program + " (") != std::string::npos &&
           fs::exists(program) && registry.KeyExists("Software\\Quorvane\\Tavrek");
  }));
}

// Each refusal asks or tells once and writes nothing.
TEST_F(InstallerTest, ARefusedInstallAsksOnceAndWritesNothing) {
  const std::string target = choices_.targetFolder, fresh = (home_ / "neu").string();
  fs::create_directories(target);
  fs::create_directories(fresh);
  questions_.overwrite = false;  // the existing target is kept
  const auto before = Everything(home_.path());
  const auto refused = [&](InstallScope scope, const std::string& folder,
                           const std::string& program, const std::vector<std::string>& asked) {
    choices_.scope = scope;
    choices_.targetFolder = folder;
    questions_.asked.clear();
    EXPECT_FALSE(Install(choices_, folders_, program, questions_, false).installed) << asked[0];
    EXPECT_EQ(questions_.asked, asked);
    EXPECT_EQ(Everything(home_.path()), before) << asked[0];
  };
  refused(InstallScope::OnlyMe, target, program_, {OverwriteQuestion(target)});
  refused(InstallScope::AllUsers, target, program_, {"Achtung: " + NoRightsMessage()});
  for (const char* name : {"Tav\xffrek", "Tav\nrek", "Tav\x7frek"}) {
    const std::string odd = (home_ / name).string();
    refused(InstallScope::OnlyMe, odd, program_, {"Achtung: " + RefusedTargetMessage(odd)});
    choices_.groupName = name;
    refused(InstallScope::OnlyMe, fresh, program_, {"Achtung: " + RefusedGroupMessage(name)});
    choices_.groupName = "Tavrek";
  }
  questions_.overwrite = true;
  refused(InstallScope::OnlyMe, fresh, (home_ / "fehlt").string(),
          {OverwriteQuestion(fresh), CopyFailedQuestion(fresh + "/tavrek")});
  EXPECT_TRUE(fs::is_empty(target));
}

TEST_F(InstallerTest, TheProgramGroupStaysOneFolderBelowTheMenu) {
  const std::set<std::string> made{"*" + folders_.menus, "*" + folders_.directories,
                                   "*" + choices_.targetFolder};
  for (const char* name : {"", "..", "../../weg"}) {
    choices_.groupName = name;
    questions_.overwrite = true;
    const InstallReport report = Install(choices_, folders_, program_, questions_, false);
    ASSERT_TRUE(report.installed);
    for (const std::string& line : report.listLines) {
      if (line[0] == '*' && !made.contains(line)) {
        EXPECT_EQ(fs::path(line.substr(1)).parent_path(), user_.Applications()) << name;
      }
    }
  }
  // A chosen folder gets the product name, with slashes collapsed.
  EXPECT_EQ(TargetBelow("/opt//apps/"), "/opt/apps/Tavrek");
  EXPECT_EQ(TargetBelow("/"), "/Tavrek");
}

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
  // A copy that cannot be made is reported and nothing starts.
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
