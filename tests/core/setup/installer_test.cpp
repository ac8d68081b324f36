#include "core/setup/installer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <set>

#include "core/platform/file_io.h"
#include "core/platform/registry_store.h"
#include "core/setup/setup_texts.h"
#include "core/setup/uninstaller.h"
#include "support/temp_folder.h"

namespace tavrek::setup {
namespace {

namespace fs = std::filesystem;

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

class InstallerTest : public ::testing::Test {
 protected:
  InstallerTest() {
    program_ = home_.Write("Downloads/Tavrek_Install", "#!/bin/sh\necho program\n").string();
    folders_ = FoldersForScope(InstallScope::OnlyMe, user_, home_.path() / "Schreibtisch");
    choices_.targetFolder = DefaultTargetFolder(folders_);
    choices_.groupName = "Tavrek";
  }

  testing::TempFolder home_;
  app::DesktopFolders user_ = app::DesktopFolders::For(home_.path().string(), "", "");
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

  // A file of the user's own in the program group keeps the folder.
  const std::string group = user_.Applications() + "/Tavrek";
  home_.Write(".local/share/applications/Tavrek/eigene.desktop", "mine");
  platform::RegistryStore registry((home_ / "registry.reg").string());
  ASSERT_TRUE(registry.SetString("Software\\Quorvane\\Tavrek", "WinRC", "1"));
  ASSERT_TRUE(registry.SetString("Software\\Quorvane\\Tavrek\\Unter", "x", "1"));
  ASSERT_TRUE(registry.SetString("Software\\Quorvane\\Andere", "x", "1"));

  const UninstallReport removed = Uninstall(list, registry);
  EXPECT_TRUE(removed.ran);
  for (const std::string& path : listed) {
    if (path != group) {
      EXPECT_FALSE(fs::exists(path)) << path;
    }
  }
  EXPECT_TRUE(fs::exists(group + "/eigene.desktop"));
  EXPECT_TRUE(fs::exists(choices_.targetFolder));  // the target folder is not listed
  EXPECT_FALSE(registry.KeyExists("Software\\Quorvane\\Tavrek"));
  EXPECT_TRUE(registry.KeyExists("Software\\Quorvane\\Andere"));
}

TEST_F(InstallerTest, AnExistingTargetFolderIsAskedAboutFirst) {
  fs::create_directories(choices_.targetFolder);
  questions_.overwrite = false;
  EXPECT_FALSE(Install(choices_, folders_, program_, questions_, false).installed);
  ASSERT_EQ(questions_.asked.size(), 1u);
  EXPECT_EQ(questions_.asked[0], OverwriteQuestion(choices_.targetFolder));
  EXPECT_TRUE(fs::is_empty(choices_.targetFolder));
}

TEST_F(InstallerTest, AllUsersWithoutRootInstallsNothing) {
  choices_.scope = InstallScope::AllUsers;
  const auto before = Everything(home_.path());
  EXPECT_FALSE(Install(choices_, folders_, program_, questions_, false).installed);
  ASSERT_EQ(questions_.asked.size(), 1u);
  EXPECT_EQ(questions_.asked[0], "Achtung: " + NoRightsMessage());
  EXPECT_EQ(Everything(home_.path()), before);
}

TEST_F(InstallerTest, AProgramThatCannotBeReadAsksToRetryAndStops) {
  EXPECT_FALSE(Install(choices_, folders_, (home_ / "fehlt").string(), questions_, false).installed);
  ASSERT_EQ(questions_.asked.size(), 1u);
  EXPECT_EQ(questions_.asked[0], CopyFailedQuestion(choices_.targetFolder + "/tavrek"));
  EXPECT_FALSE(fs::exists(choices_.targetFolder + "/Tavrek_Uninstall.ini"));
}

TEST_F(InstallerTest, TheProgramGroupStaysOneFolderBelowTheMenu) {
  for (const char* name : {"", "..", "../../weg"}) {
    choices_.groupName = name;
    questions_.overwrite = true;
    const InstallReport report = Install(choices_, folders_, program_, questions_, false);
    ASSERT_TRUE(report.installed);
    for (const std::string& line : report.listLines) {
      if (line[0] == '*') {
        EXPECT_EQ(fs::path(line.substr(1)).parent_path(), user_.Applications()) << name;
      }
    }
  }
}

TEST(InstallLayoutTest, AChosenFolderGetsTheProductNameWithSlashesCollapsed) {
  EXPECT_EQ(TargetBelow("/opt//apps/"), "/opt/apps/Tavrek");
  EXPECT_EQ(TargetBelow("/"), "/Tavrek");
}

}  // namespace
}  // namespace tavrek::setup
