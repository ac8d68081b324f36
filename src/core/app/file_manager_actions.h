#pragma once
// The folder verb: a "*Tavrek" entry in the folder context menu of the
// common file managers, each running the verb command with the folder in the
// form that file manager substitutes. Folder actions only: the program never
// becomes an opener of inode/directory.
#include <string>
#include <string_view>

#include "core/app/desktop_folders.h"

namespace tavrek::app {

enum class FolderVerbMode { Remove = 0, Register = 1, Query = 2 };

// "\"" + program path + "\" /e>%L>%D": the command as the shell writes it;
// each file manager's file puts its own placeholder where %L and %D stand.
std::string VerbCommand(const std::string& programPath);
// The verb command for a file manager that splits its command line as sh
// does without running a shell: the program path in double quotes (with "\",
// "\"", "$" and "`" escaped) and `code` standing for the folder twice.
std::string ShellVerbCommand(const std::string& programPath, std::string_view code);
// "*" + product name: what the menus show.
std::string VerbName();
// "Fehler beim Registrieren der " + product name + "Dateien (*.tvk)".
std::string VerbRegistrationFailure();

struct FolderVerbResult {
  int value = 0;             // 1 only for a query that finds the verb registered
  std::string failure;       // the message to show when registering failed
};

// Registers, removes or queries the verb. Registering writes all four
// actions; removing takes away only what registering wrote (of the Thunar
// file only its own action).
FolderVerbResult FolderVerb(FolderVerbMode mode, const DesktopFolders& folders,
                            const std::string& programPath);

// Where each file manager looks.
std::string DolphinActionPath(const DesktopFolders& folders);
std::string NemoActionPath(const DesktopFolders& folders);
std::string NautilusScriptPath(const DesktopFolders& folders);
std::string ThunarActionsPath(const DesktopFolders& folders);

// The texts of the four actions.
std::string DolphinAction(const std::string& programPath);
std::string NemoAction(const std::string& programPath);
std::string NautilusScript(const std::string& programPath);
std::string ThunarAction(const std::string& programPath);

// Thunar's uca.xml is the user's own file: these add or remove exactly the
// text of our <action> and leave every other byte as it was. Nothing when
// the file's text has no </actions> to add before.
std::string WithThunarAction(std::string_view file, std::string_view action);
std::string WithoutThunarAction(std::string_view file);
bool HasThunarAction(std::string_view file);

}  // namespace tavrek::app
