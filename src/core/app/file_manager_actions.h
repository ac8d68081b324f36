#pragma once
// The folder verb: a "*Tavrek" entry in the folder context menu of the
// common file managers, each starting the program with the folder option and
// the one chosen folder as the next argument, whole whatever it holds. Folder
// actions only: the program never becomes an opener of inode/directory.
#include <string>
#include <string_view>

#include "core/app/desktop_folders.h"

namespace tavrek::app {

enum class FolderVerbMode { Remove = 0, Register = 1, Query = 2 };

// "*" + product name: what the menus show.
std::string VerbName();
// "Fehler beim Registrieren der " + product name + "Dateien (*.tvk)".
std::string VerbRegistrationFailure();
// Empty when the program path can go into all four actions, else the message
// refusing it: a path the entries cannot carry (IsWritableInEntries), or one
// holding "%", for which a Nemo action has no escape.
std::string RefusedVerbText(std::string_view programPath);

struct FolderVerbResult {
  int value = 0;             // 1 only for a query that finds the verb registered
  std::string failure;       // the message to show when registering failed
};

// Registers, removes or queries the verb. Registering writes all four
// actions, or none for a refused program path; removing takes away only what
// registering wrote (of the Thunar file only its own action).
FolderVerbResult FolderVerb(FolderVerbMode mode, const DesktopFolders& folders,
                            const std::string& programPath);

// Where each file manager looks.
std::string DolphinActionPath(const DesktopFolders& folders);
std::string NemoActionPath(const DesktopFolders& folders);
std::string NautilusScriptPath(const DesktopFolders& folders);
std::string ThunarActionsPath(const DesktopFolders& folders);

// Nemo's Exec, Thunar's command and the script are split into words as sh
// splits them (Thunar even runs its command with sh): the program path as one
// sh word in single quotes, then the folder option.
std::string FolderOptionCommand(const std::string& programPath);

// The texts of the four actions, for a program path RefusedVerbText accepts.
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
