// What a start and the folder verb write for the desktop: the document type,
// the program's entry and the file managers' folder actions, read back as the
// launchers and file managers read them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <vector>

#include "core/app/desktop_entry.h"
#include "core/app/file_manager_actions.h"
#include "core/app/shell_registration.h"
#include "core/platform/file_io.h"
#include "core/platform/run_program.h"
#include "support/temp_folder.h"

namespace tavrek::app {
namespace {

namespace fs = std::filesystem;
constexpr std::chrono::milliseconds kToolTimeout{30000};

class DesktopRegistrationTest : public ::testing::Test {
 protected:
  std::string Read(const std::string& path) const { return platform::ReadWholeFile(path).bytes; }
  FolderVerbResult Verb(FolderVerbMode mode) { return FolderVerb(mode, folders_, program_); }

  testing::TempFolder home_;
  DesktopFolders folders_ = DesktopFolders::For(home_.path().string(), "", "");
  std::string program_ = (home_ / "Meine Programme/tavrek").string();
};

// The Exec value read back as a launcher reads it: the string escapes, the
// quoting, then "%%"; a field code comes back as "<%f>".
std::vector<std::string> ExecArguments(std::string_view entry) {
  const size_t start = entry.find("\nExec=") + std::string_view("\nExec=").size();
  const std::string_view value = entry.substr(start, entry.find('\n', start) - start);
  std::string line;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\') {
      line += value[i];
    } else if (const char next = value[++i]; next == 's' || next == 't') {
      line += next == 's' ? ' ' : '\t';
    } else {
      line += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
  }
  std::vector<std::string> arguments(1);
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    if (quoted && line[i] == '\\') {
      arguments.back() += line[++i];
    } else if (line[i] == '"' || (line[i] == ' ' && !quoted)) {
      if (line[i] == '"') quoted = !quoted;
      else arguments.emplace_back();
    } else if (line[i] == '%') {
      const char code = line[++i];
      arguments.back() += code == '%' ? std::string("%") : "<%" + std::string(1, code) + ">";
    } else {
      arguments.back() += line[i];
    }
  }
  return arguments;
}

TEST_F(DesktopRegistrationTest, WritesTheTypeAndEntryOnceFollowsAMovedProgramAndRefusesBadPaths) {
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
  // The package installs these files; a start writes the same for the user.
  const std::string resources = TAVREK_RESOURCES_DIR;
  EXPECT_EQ(platform::ReadWholeFile(resources + "/mime/tavrek.xml").bytes, DocumentMimePackage());
  EXPECT_EQ(platform::ReadWholeFile(resources + "/desktop/" + std::string(kDesktopId)).bytes,
            ProgramDesktopEntry("tavrek"));
  // Program paths full of what entries reserve come back whole; those an entry
  // cannot carry are refused and the last good entry stays.
  const std::string validator = platform::FindProgram("desktop-file-validate");
  for (const char* name : {"a \"b\" 'c'", "x\\y\\\\z \\$", "$HOME $(id)", "`id`", "100%free %f%%",
                           "J\xC3\xBCrgen  ~&|;<>*?#()="}) {
    const std::string program = (home_ / "p" / name / "tavrek").string();
    ASSERT_EQ(RegisterDocumentType(folders_, program, false), WriteOutcome::Written) << name;
    const std::string written = Read(ProgramEntryPath(folders_));
    EXPECT_EQ(ExecArguments(written), (std::vector<std::string>{program, "<%f>"})) << written;
    EXPECT_EQ(ExecArguments(DolphinAction(program)),
              (std::vector<std::string>{program, "--folder", "<%f>"}));
    if (validator.empty()) continue;
    EXPECT_TRUE(platform::RunProgram(validator, {validator, ProgramEntryPath(folders_)},
                                     kToolTimeout)) << written;
  }
  const std::string kept = Read(ProgramEntryPath(folders_));
  for (const char* name : {"d\nExec=sh -c 'touch /tmp/PWNED' #", "\xFF\xFE", "tab\tbed", "\x01"}) {
    const std::string program = (home_ / "p" / name / "tavrek").string();
    EXPECT_EQ(RegisterDocumentType(folders_, program, false), WriteOutcome::Refused);
    EXPECT_EQ(Read(ProgramEntryPath(folders_)), kept);
  }
  EXPECT_EQ(RefusedProgramPathText("/x\n\xFF/t"),
            "Der Programmpfad lässt sich nicht eintragen (Zeilenumbruch, Steuerzeichen oder kein "
            "UTF-8):\n/x\\x0a\\xff/t");
}

// The real desktop tools, pointed at the temporary folders only.
TEST_F(DesktopRegistrationTest, TheDesktopToolsSeeTheTypeAndItsProgram) {
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

  const auto query = [&](const std::string& what, const std::string& of) {
    auto arguments = environment;
    arguments.insert(arguments.end(), {xdgMime, "query", what, of});
    return platform::RunProgram(tool, arguments, kToolTimeout).value_or("?");
  };
  EXPECT_EQ(query("filetype", document), "application/x-tavrek\n");
  EXPECT_EQ(query("default", "application/x-tavrek"), std::string(kDesktopId) + "\n");
}

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

TEST_F(DesktopRegistrationTest, EveryActionHandsTheFolderOverWhole) {
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

TEST_F(DesktopRegistrationTest, TheUsersOwnThunarActionsStayByteForByteAndAreNeverBroken) {
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
  // A file that cannot be read fails with the message and is kept.
  const std::string broken = "<actions><action>";
  home_.Write(".config/Thunar/uca.xml", broken);
  EXPECT_EQ(Verb(FolderVerbMode::Register).failure, VerbRegistrationFailure());
  EXPECT_EQ(Read(ThunarActionsPath(folders_)), broken);
  Verb(FolderVerbMode::Remove);
  EXPECT_EQ(Read(ThunarActionsPath(folders_)), broken);
}

}  // namespace
}  // namespace tavrek::app
