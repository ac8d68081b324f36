#include "core/app/file_manager_actions.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "core/platform/file_io.h"
#include "support/temp_folder.h"

namespace tavrek::app {
namespace {

namespace fs = std::filesystem;

class FileManagerActionsTest : public ::testing::Test {
 protected:
  std::string Read(const std::string& path) const { return platform::ReadWholeFile(path).bytes; }
  FolderVerbResult Verb(FolderVerbMode mode) { return FolderVerb(mode, folders_, program_); }

  testing::TempFolder home_;
  DesktopFolders folders_ = DesktopFolders::For(home_.path().string(), "", "");
  std::string program_ = "/opt/Mein Tavrek/tavrek";
};

TEST_F(FileManagerActionsTest, VerbCommandQuotesAProgramPathWithBlanks) {
  EXPECT_EQ(VerbCommand(program_), "\"/opt/Mein Tavrek/tavrek\" /e>%L>%D");
  EXPECT_EQ(ShellVerbCommand("/a \"b\"/$t", "%f"), "\"/a \\\"b\\\"/\\$t\" /e>%f>%f");
  EXPECT_EQ(VerbRegistrationFailure(), "Fehler beim Registrieren der TavrekDateien (*.tvk)");
}

TEST_F(FileManagerActionsTest, RegisterWritesEveryActionAndRemoveTakesThemAway) {
  EXPECT_EQ(Verb(FolderVerbMode::Query).value, 0);
  EXPECT_TRUE(Verb(FolderVerbMode::Register).failure.empty());
  EXPECT_EQ(Verb(FolderVerbMode::Query).value, 1);

  EXPECT_NE(Read(DolphinActionPath(folders_))
                .find("Exec=\"/opt/Mein Tavrek/tavrek\" \"/e>%f>%f\"\n"),
            std::string::npos);
  EXPECT_NE(Read(DolphinActionPath(folders_)).find("Name=*Tavrek\n"), std::string::npos);
  EXPECT_NE(Read(NemoActionPath(folders_)).find("Exec=\"/opt/Mein Tavrek/tavrek\" /e>%F>%F\n"),
            std::string::npos);
  EXPECT_NE(Read(NautilusScriptPath(folders_)).find("'/opt/Mein Tavrek/tavrek' \"/e>$f>$f\""),
            std::string::npos);
  struct stat status {};
  ASSERT_EQ(stat(NautilusScriptPath(folders_).c_str(), &status), 0);
  EXPECT_TRUE(status.st_mode & S_IXUSR);
  EXPECT_NE(Read(ThunarActionsPath(folders_))
                .find("<command>\"/opt/Mein Tavrek/tavrek\" /e&gt;%f&gt;%f</command>"),
            std::string::npos);

  EXPECT_EQ(Verb(FolderVerbMode::Remove).value, 0);
  EXPECT_EQ(Verb(FolderVerbMode::Query).value, 0);
  EXPECT_FALSE(fs::exists(DolphinActionPath(folders_)));
  EXPECT_FALSE(fs::exists(NemoActionPath(folders_)));
  EXPECT_FALSE(fs::exists(NautilusScriptPath(folders_)));
}

TEST_F(FileManagerActionsTest, TheUsersOwnThunarActionsStayByteForByte) {
  const std::string own =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<actions>\n<action>\n\t<icon>utilities-terminal"
      "</icon>\n\t<name>Terminal hier</name>\n\t<unique-id>1-2</unique-id>\n\t<command>exo-open "
      "%f</command>\n</action>\n<!-- mine -->\r\n</actions>\n";
  home_.Write(".config/Thunar/uca.xml", own);
  ASSERT_TRUE(Verb(FolderVerbMode::Register).failure.empty());
  ASSERT_TRUE(Verb(FolderVerbMode::Register).failure.empty());  // again: still one action
  const std::string registered = Read(ThunarActionsPath(folders_));
  EXPECT_EQ(registered.find("tavrek-folder-verb"), registered.rfind("tavrek-folder-verb"));
  EXPECT_NE(registered.find("<name>Terminal hier</name>"), std::string::npos);
  Verb(FolderVerbMode::Remove);
  EXPECT_EQ(Read(ThunarActionsPath(folders_)), own);
}

TEST_F(FileManagerActionsTest, AnUnreadableThunarFileFailsWithTheMessageAndIsKept) {
  const std::string broken = "<actions><action>";
  home_.Write(".config/Thunar/uca.xml", broken);
  EXPECT_EQ(Verb(FolderVerbMode::Register).failure, VerbRegistrationFailure());
  EXPECT_EQ(Read(ThunarActionsPath(folders_)), broken);
  Verb(FolderVerbMode::Remove);
  EXPECT_EQ(Read(ThunarActionsPath(folders_)), broken);
}

}  // namespace
}  // namespace tavrek::app
