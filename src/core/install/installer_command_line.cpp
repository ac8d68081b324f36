#include "core/install/installer_command_line.h"

#include "core/platform/text_case.h"
#include "core/install/install_texts.h"
#include "core/install/uninstaller.h"

namespace tavrek::install {
namespace {

constexpr std::string_view kInstall = "-install";
constexpr std::string_view kUninstall = "-uninstall";

// The argument after "-uninstall+" whole (the arguments are joined by one
// blank), else the text after the first "+" up to a further "+".
std::string ListPathOf(const std::string& tail) {
  if (tail.size() > kUninstallFromList.size() && tail[kUninstallFromList.size()] == ' ') {
    return tail.substr(kUninstallFromList.size() + 1);
  }
  const size_t start = tail.find('+') + 1;
  const size_t end = tail.find('+', start);
  return tail.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

void RelaunchForUninstall(const std::string& programPath, const std::string& temporaryRoot,
                          InstallerHooks& hooks) {
  const UninstallRelaunch relaunch = PrepareUninstallRelaunch(programPath, temporaryRoot);
  if (!relaunch.failure.empty()) {
    hooks.ShowError(relaunch.failure);
  } else if (!hooks.StartProgram(relaunch.arguments)) {
    RemoveRelaunchCopy(relaunch.copyPath);
    hooks.ShowError(StartFailure(relaunch.copyPath));
  }
}

}  // namespace

bool NameAsksForInstall(const std::string& programPath) {
  const size_t slash = programPath.rfind('/');
  if (slash == std::string::npos) return false;
  const std::string name = platform::LowerCase(programPath.substr(slash + 1));
  return name.find("install") != std::string::npos || name.find("setup") != std::string::npos;
}

InstallerOutcome HandleInstallerCommandLine(const std::string& tail,
                                            const std::string& programPath,
                                            InstallerHooks& hooks,
                                            const std::string& temporaryRoot) {
  InstallerOutcome outcome;
  if (tail == kInstall) {
    hooks.ShowInstallDialog();
    outcome.handled = true;
  } else if (tail.starts_with(kUninstallFromList)) {
    const std::string list = ListPathOf(tail);
    if (!list.empty()) outcome.uninstalled = hooks.ShowUninstallDialog(list);
    DiscardRelaunchCopy(programPath, temporaryRoot, hooks);
    outcome.handled = true;
  } else if (tail.starts_with(kUninstall)) {
    RelaunchForUninstall(programPath, temporaryRoot, hooks);
    outcome.handled = true;
  } else if (NameAsksForInstall(programPath)) {
    hooks.ShowInstallDialog();
    outcome.handled = true;
  }
  return outcome;
}

}  // namespace tavrek::install
