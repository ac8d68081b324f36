#pragma once
// Installing the running program for the user (or, as root, for everyone):
// a copy in the target folder, desktop entries for the desktop, the start
// menu and a program group, and the uninstall list naming every file and
// folder made, in the order made.
#include <string>
#include <vector>

#include "core/install/install_layout.h"

namespace tavrek::install {

struct InstallChoices {
  InstallScope scope = InstallScope::OnlyMe;
  std::string targetFolder;
  std::string groupName;
  bool desktop = true;          // "Desktop"
  bool startMenu = true;        // "Startleiste"
  bool startProgram = true;     // "Programm starten"
  bool showInformation = false; // "Programminformationen anzeigen"
  // "Programmleiste" and "Schnellstartleiste" have nothing to make on Linux.
};

// The questions and messages of an installation, answered by the dialog's
// message boxes (or by a test).
class InstallQuestions {
 public:
  virtual ~InstallQuestions() = default;
  virtual bool ConfirmOverwrite(const std::string& text) = 0;  // OK
  virtual bool RetryCopy(const std::string& text) = 0;         // Yes
  virtual void Tell(const std::string& caption, const std::string& text) = 0;
};

struct InstallReport {
  bool installed = false;
  std::vector<std::string> listLines;  // the uninstall list as written
  // Programs to start when the dialog has closed (argument 0 first).
  std::vector<std::vector<std::string>> launches;
};

// `mayInstallForAll` is whether the process runs as root.
InstallReport Install(const InstallChoices& choices, const InstallFolders& folders,
                      const std::string& programPath, InstallQuestions& questions,
                      bool mayInstallForAll);

// The uninstall list's text: the lines, each ended by CR LF.
std::string FormatUninstallList(const std::vector<std::string>& lines);

}  // namespace tavrek::install
