#pragma once
// Uninstalling: a copy of the program in a private temporary folder reads
// the uninstall list, deletes the files it names, then the folders it marks
// with "*" that are empty by then, forgets the program's settings key and
// leaves a small sh script that deletes the copy once it has ended.
#include <string>
#include <vector>

#include <sys/types.h>

#include "core/platform/registry_store.h"

namespace tavrek::setup {

struct UninstallRelaunch {
  std::string failure;                 // the message to show; empty on success
  std::string copyPath;                // folder/Tavrek_uninstall in a fresh mkdtemp folder
  std::vector<std::string> arguments;  // {copyPath, "-uninstall+" + list path}
};

// Copies the running program into a new private folder below `temporaryRoot`;
// the list is the one the install wrote beside the program.
UninstallRelaunch PrepareUninstallRelaunch(const std::string& programPath,
                                           const std::string& temporaryRoot);

struct UninstallReport {
  bool ran = false;      // the list was read and its entries removed
  std::string failure;   // the message when the list could not be read
};

// The two passes over the list and the removal of the settings key.
UninstallReport Uninstall(const std::string& listPath, platform::RegistryStore& registry);

// The script: wait for `pid` to end, delete the copy, delete the script,
// remove the copy's folder. No line end after the last line.
std::string SelfDeleteScript(const std::string& copyPath, const std::string& scriptPath,
                             pid_t pid);
// Writes the script beside the copy (in its private folder) and returns its
// path, or "" when it could not be written.
std::string WriteSelfDeleteScript(const std::string& copyPath, pid_t pid);

}  // namespace tavrek::setup
