#pragma once
// Uninstalling: a copy of the program in a private temporary folder reads
// the uninstall list, deletes the files it names, then the folders it marks
// with "*" that are empty by then (only in the folders the installer writes
// to, see list_removal.h), removes the document type this program
// registered, forgets the program's settings key and leaves a small sh
// script that deletes the copy once it has ended.
#include <string>
#include <vector>

#include <sys/types.h>

#include "core/app/desktop_folders.h"
#include "core/platform/registry_store.h"
#include "core/install/installer_command_line.h"

namespace tavrek::install {

struct UninstallRelaunch {
  std::string failure;                 // the message to show; empty on success
  std::string copyPath;                // folder/Tavrek_uninstall in a fresh mkdtemp folder
  // {copyPath, "-uninstall+", list path}: the path is an argument of its
  // own, so no character of a folder name can cut it.
  std::vector<std::string> arguments;
};

// Copies the running program into a new private folder below `temporaryRoot`;
// the list is the one the install wrote beside the program.
UninstallRelaunch PrepareUninstallRelaunch(const std::string& programPath,
                                           const std::string& temporaryRoot);

struct UninstallReport {
  bool listRead = false;  // something may have been removed
  bool ran = false;       // everything the installer made is gone
  // What to tell: the list could not be read, or what was not removed and why.
  std::string failure;
};

// The two passes over the list, then the document type when it was
// registered for the listed program, then the folders the installer made.
// The settings key is forgotten only when nothing failed. `user` and
// `desktopFolder` name the folders the installer wrote to.
UninstallReport Uninstall(const std::string& listPath, const app::DesktopFolders& user,
                          const std::string& desktopFolder, platform::RegistryStore& registry);

// Whether `programPath` is a copy made by PrepareUninstallRelaunch below
// `temporaryRoot`.
bool IsRelaunchCopy(const std::string& programPath, const std::string& temporaryRoot);
// Removes such a copy once this process has ended (through the script, else
// at once): on Linux a running program's file may go. Any other program
// stays.
void DiscardRelaunchCopy(const std::string& programPath, const std::string& temporaryRoot,
                         InstallerHooks& hooks);
// Deletes the copy, its script and its private folder now.
void RemoveRelaunchCopy(const std::string& copyPath);

// The script: wait for `pid` to end, delete the copy, delete the script,
// remove the copy's folder. No line end after the last line.
std::string SelfDeleteScript(const std::string& copyPath, const std::string& scriptPath,
                             pid_t pid);
// Writes the script beside the copy (in its private folder) and returns its
// path, or "" when it could not be written.
std::string WriteSelfDeleteScript(const std::string& copyPath, pid_t pid);

}  // namespace tavrek::install
