#pragma once
// The installer's share of the command line, looked at before anything else
// starts: "-install", "-uninstall+LIST", "-uninstall", and a program whose
// file name holds "install" or "setup".
#include <string>
#include <string_view>
#include <vector>

namespace tavrek::install {

// The copy that uninstalls is started with this option and the list's path
// as the next argument; "-uninstall+PATH" is understood too.
inline constexpr std::string_view kUninstallFromList = "-uninstall+";

struct InstallerOutcome {
  bool handled = false;      // the caller ends with exit code 0
  bool uninstalled = false;  // the caller then removes the folder verb
};

// What the installer shows and starts; the Qt layer implements it.
class InstallerHooks {
 public:
  virtual ~InstallerHooks() = default;
  virtual void ShowInstallDialog() = 0;
  // True when the uninstall ran.
  virtual bool ShowUninstallDialog(const std::string& listPath) = 0;
  virtual void ShowError(const std::string& text) = 0;
  // Starts a program that outlives this process (argument 0 first).
  virtual bool StartProgram(const std::vector<std::string>& arguments) = 0;
};

// The uninstall form runs the dialog and then discards the copy it runs
// from (cancelled, failed or done alike).
// `tail` is the command line after the program's name; `programPath` the
// running program's full path; `temporaryRoot` where the uninstall copy's
// private folder is made.
InstallerOutcome HandleInstallerCommandLine(const std::string& tail,
                                            const std::string& programPath,
                                            InstallerHooks& hooks,
                                            const std::string& temporaryRoot);

// The file-name rule: the name after the last "/", lower-cased, holds
// "install" or "setup"; false when the path holds no "/".
bool NameAsksForInstall(const std::string& programPath);

}  // namespace tavrek::install
