#pragma once
// The installer's command line at start-up, with the Qt dialogs:
//   const auto outcome = tavrek::ui::RunInstaller(tail, programPath, registry);
//   if (outcome.handled) { if (outcome.uninstalled) remove the folder verb; return 0; }
// A QApplication must exist.
#include <string>

#include "core/platform/registry_store.h"
#include "core/install/installer_command_line.h"
#include "ui/install/install_dialog.h"

namespace tavrek::ui {

// What the install dialog offers this user: the XDG folders, the desktop
// folder and the account's name.
InstallDialogContext InstallContextFromEnvironment(const std::string& programPath);

install::InstallerOutcome RunInstaller(const std::string& tail, const std::string& programPath,
                                     platform::RegistryStore& registry);

}  // namespace tavrek::ui
