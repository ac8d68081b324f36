#include "core/install/installer.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

#include "core/app/desktop_entry.h"
#include "core/app/identity.h"
#include "core/app/shell_registration.h"
#include "core/platform/file_io.h"
#include "core/install/install_entries.h"
#include "core/install/install_texts.h"

namespace tavrek::install {
namespace {

constexpr unsigned kProgramMode = 0755;
constexpr unsigned kLauncherMode = 0755;  // desktops run only executable launchers

bool CopyProgram(const std::string& from, const std::string& to) {
  const platform::FileContent program = platform::ReadWholeFile(from);
  if (program.status != platform::ReadStatus::Ok) return false;
  // Written beside and renamed over: a running copy of the target stays intact.
  if (!platform::WriteFileAtomically(to, program.bytes)) return false;
  return chmod(to.c_str(), kProgramMode) == 0;
}

bool CopyWithRetries(const std::string& from, const std::string& to,
                     InstallQuestions& questions) {
  while (!CopyProgram(from, to)) {
    if (!questions.RetryCopy(CopyFailedQuestion(to))) return false;
  }
  return true;
}

// Writes a file and names it in the list.
void Add(std::vector<std::string>& lines, const std::string& path, const std::string& content,
         unsigned mode = 0644) {
  if (app::WriteIfChanged(path, content, mode) != app::WriteOutcome::Failed) lines.push_back(path);
}

// The group is one folder below the start menu's: never the menu folder
// itself, never a path that leads elsewhere.
std::string GroupFolderName(const std::string& groupName) {
  std::string name = groupName;
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  if (name.empty() || name == "." || name == "..") return std::string(app::kProductName);
  return name;
}

void AddGroup(std::vector<std::string>& lines, const InstallChoices& choices,
              const InstallFolders& folders, const std::string& program) {
  const std::string groupName = GroupFolderName(choices.groupName);
  const std::string group = folders.applications + "/" + groupName;
  std::error_code ignored;
  std::filesystem::create_directories(group, ignored);
  lines.push_back("*" + group);
  const std::string name(app::kProductName);
  Add(lines, group + "/" + GroupEntryFile(GroupEntry::Uninstall),
      GroupEntryText(GroupEntry::Uninstall, program));
  Add(lines, FolderOf(program) + "/Uninstall " + name + ".desktop",
      GroupEntryText(GroupEntry::Uninstall, program), kLauncherMode);
  Add(lines, group + "/" + GroupEntryFile(GroupEntry::Program),
      GroupEntryText(GroupEntry::Program, program));
  Add(lines, group + "/" + GroupEntryFile(GroupEntry::Help),
      GroupEntryText(GroupEntry::Help, program));
  Add(lines, folders.menus + "/" + std::string(kMenuFileName), GroupMenuText(groupName));
  Add(lines, folders.directories + "/" + std::string(kDirectoryFileName), GroupDirectoryText());
}

// The folders an installation may have to make, each listed for removal
// when it had to (and so goes again once empty); the folders that hold
// them and the desktop stay.
class MadeFolders {
 public:
  MadeFolders(const InstallFolders& folders, const std::string& target)
      : candidates_{folders.menus, folders.directories, target} {
    for (const std::string& folder : candidates_) {
      std::error_code error;
      existed_.push_back(std::filesystem::exists(folder, error));
    }
  }
  void List(std::vector<std::string>& lines) const {
    for (size_t index = 0; index < candidates_.size(); ++index) {
      std::error_code error;
      if (!existed_[index] && std::filesystem::is_directory(candidates_[index], error)) {
        lines.push_back("*" + candidates_[index]);
      }
    }
  }

 private:
  std::vector<std::string> candidates_;
  std::vector<bool> existed_;
};

}  // namespace

std::string FormatUninstallList(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

InstallReport Install(const InstallChoices& choices, const InstallFolders& folders,
                      const std::string& programPath, InstallQuestions& questions,
                      bool mayInstallForAll) {
  InstallReport report;
  if (choices.scope == InstallScope::AllUsers && !mayInstallForAll) {
    questions.Tell("Achtung", NoRightsMessage());
    return report;
  }
  const std::string& target = choices.targetFolder;
  // The desktop entries and the uninstall list name the folder as UTF-8 lines.
  if (!app::IsWritableInEntries(target)) {
    questions.Tell("Achtung", RefusedTargetMessage(target));
    return report;
  }
  // The group's name becomes a folder, a menu entry and a line of the list too.
  if (!app::IsWritableInEntries(choices.groupName)) {
    questions.Tell("Achtung", RefusedGroupMessage(choices.groupName));
    return report;
  }
  const MadeFolders made(folders, target);
  std::error_code error;
  if (std::filesystem::exists(target, error) &&
      !questions.ConfirmOverwrite(OverwriteQuestion(target))) {
    return report;
  }
  std::filesystem::create_directories(target, error);
  if (!std::filesystem::is_directory(target, error)) questions.Tell("Error", target);

  const std::string program = target + "/" + std::string(kInstalledProgramName);
  if (!CopyWithRetries(programPath, program, questions)) return report;
  const std::string list = target + "/" + std::string(kUninstallListName);
  std::vector<std::string>& lines = report.listLines;
  lines = {program, list};
  const std::string name(app::kProductName);
  if (choices.desktop) {
    Add(lines, folders.desktop + "/" + name + ".desktop", app::ProgramDesktopEntry(program),
        kLauncherMode);
  }
  if (choices.startMenu) {
    Add(lines, folders.applications + "/" + std::string(app::kDesktopId),
        app::ProgramDesktopEntry(program));
  }
  AddGroup(lines, choices, folders, program);
  made.List(lines);
  report.installed = platform::WriteFileAtomically(list, FormatUninstallList(lines));
  if (!report.installed) questions.Tell("Error", list);
  if (choices.startProgram) report.launches.push_back({program});
  if (choices.showInformation) report.launches.push_back({program, "-help"});
  return report;
}

}  // namespace tavrek::install
