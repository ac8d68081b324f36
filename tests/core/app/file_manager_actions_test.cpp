#include "core/app/file_manager_actions.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <vector>

#include "core/app/desktop_entry.h"
#include "core/platform/file_io.h"
#include "core/platform/run_program.h"
#include "support/temp_folder.h"

namespace tavrek::app {
namespace {

namespace fs = std::filesystem;
constexpr std::chrono::milliseconds kToolTimeout{30000};

class FileManagerActionsTest : public ::testing::Test {
 protected:
  std::string Read(const std::string& path) const { return platform::ReadWholeFile(path).bytes; }
  FolderVerbResult Verb(FolderVerbMode mode) { return FolderVerb(mode, folders_, program_); }

  testing::TempFolder home_;
  DesktopFolders folders_ = DesktopFolders::For(home_.path().string(), "", "");
  std::string program_ = "/opt/Mein Tavrek/tavrek";
};

// What sh makes of a command line; the recorder at the program path prints the
// arguments it was started with, one a line.
std::string RunSh(const std::vector<std::string>& arguments) {
  return platform::RunProgram("/bin/sh", arguments, kToolTimeout).value_or("(failed)");
}

std::string Between(std::string_view text, std::string_view open, std::string_view close) {
  const size_t start = text.find(open) + open.size();
  return std::string(text.substr(start, text.find(close, start) - start));
}

std::string Replaced(std::string text, std::string_view what, std::string_view by) {
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + by.size())) {
    text.replace(at, what.size(), by);
  }
  return text;
}

TEST_F(FileManagerActionsTest, EveryActionHandsTheFolderOverWhole) {
  const std::string name = "c,d/a>b $x";
  const std::string folder = home_.Write(name + "/.keep").parent_path().string();
  const std::string recorder = "#!/bin/sh\nprintf '%s\\n' \"$@\"\n";
  for (const char* where : {"Mein Tavrek", "a \"b\" 'c'", "x\\y \\$", "$HOME `id`", "~&|;<>*?#()"}) {
    program_ = home_.Write(std::string("p/") + where + "/tavrek", recorder);
    ASSERT_EQ(chmod(program_.c_str(), 0755), 0);
    ASSERT_TRUE(Verb(FolderVerbMode::Register).failure.empty()) << where;
    const std::string expected = "--folder\n" + folder + "\n";
    // Thunar puts the folder in sh quotes for %f and runs the command with sh.
    const std::string uca = Read(ThunarActionsPath(folders_));
    const std::string thunar = Between(uca, "<command>", "</command>");
    std::string command = Replaced(Replaced(thunar, "&lt;", "<"), "&gt;", ">");
    command = Replaced(Replaced(command, "&amp;", "&"), "%f", ShellWord(folder));
    EXPECT_EQ(RunSh({"sh", "-c", command}), expected) << thunar;
    // Nemo splits its line as sh does, the URI in double quotes for %U.
    const std::string nemo = Between(Read(NemoActionPath(folders_)), "Exec=", "\n");
    const std::string line = Replaced(Replaced(nemo, "\\\\", "\\"), "%U", "\"file:///f\"");
    EXPECT_EQ(RunSh({"sh", "-c", line}), "--folder\nfile:///f\n") << nemo;
    // Nautilus starts the script in the shown folder with the chosen names.
    EXPECT_EQ(RunSh({"sh", "-c", "cd \"$1\" && sh \"$2\" \"$3\"", "sh", home_.path().string(),
                   NautilusScriptPath(folders_), name}),
              expected);
  }
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
  // A path an action cannot carry is refused, and nothing at all is written.
  for (const char* refused : {"/x/d\nExec=sh -c 'touch /tmp/PWNED' #/t", "/x/\xFF/t", "/x/1%f/t"}) {
    program_ = refused;
    const std::string failure = Verb(FolderVerbMode::Register).failure;
    EXPECT_EQ(failure.rfind(VerbRegistrationFailure() + "\nDer Programmpfad lässt sich ", 0), 0u);
    EXPECT_EQ(Verb(FolderVerbMode::Query).value, 0);
    EXPECT_EQ(Read(ThunarActionsPath(folders_)), own);
  }
  EXPECT_EQ(RefusedVerbText("/x/1%f/t"),
            VerbRegistrationFailure() + "\nDer Programmpfad lässt sich nicht als Ordneraktion "
                                        "eintragen (\"%\" im Pfad):\n/x/1%f/t");
  program_ = "/opt/a&b <c>/tavrek";
  ASSERT_TRUE(Verb(FolderVerbMode::Register).failure.empty());
  ASSERT_TRUE(Verb(FolderVerbMode::Register).failure.empty());  // again: still one action
  const std::string registered = Read(ThunarActionsPath(folders_));
  EXPECT_EQ(registered.find("tavrek-folder-verb"), registered.rfind("tavrek-folder-verb"));
  EXPECT_NE(registered.find("<name>Terminal hier</name>"), std::string::npos);
  if (const std::string xmllint = platform::FindProgram("xmllint"); !xmllint.empty()) {
    EXPECT_TRUE(platform::RunProgram(xmllint, {xmllint, "--noout", ThunarActionsPath(folders_)},
                                     kToolTimeout));
  }
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
