#pragma once
// Where an installation puts its files on Linux: the program in a folder of
// its own, desktop entries where the desktop's menus and the desktop folder
// read them, the uninstall list beside the program.
#include <string>
#include <string_view>

#include "core/app/desktop_folders.h"

namespace tavrek::install {

enum class InstallScope { AllUsers = 0, OnlyMe = 1 };

struct InstallFolders {
  std::string programFiles;  // parent of the default target folder
  std::string applications;  // start-menu entries and the program group
  std::string menus;         // applications-merged: the group's menu file
  std::string directories;   // desktop-directories: the group's title and icon
  std::string desktop;       // the desktop folder
};

// OnlyMe: ~/.local/lib and the user's XDG folders; AllUsers: /usr/local and
// /etc/xdg. The desktop folder is the user's in both.
InstallFolders FoldersForScope(InstallScope scope, const app::DesktopFolders& user,
                               const std::string& desktopFolder);

inline constexpr std::string_view kInstalledProgramName = "tavrek";
inline constexpr std::string_view kUninstallListName = "Tavrek_Uninstall.ini";
inline constexpr std::string_view kMenuFileName = "quorvane-tavrek.menu";
inline constexpr std::string_view kDirectoryFileName = "quorvane-tavrek.directory";

// programFiles + "/Tavrek".
std::string DefaultTargetFolder(const InstallFolders& folders);
// A folder chosen in the folder browser: chosen + "/Tavrek", every run of
// "/" collapsed to one.
std::string TargetBelow(const std::string& chosenFolder);
// The folder of a path ("" when it holds no "/").
std::string FolderOf(const std::string& path);
// $TMPDIR when it is absolute, else /tmp.
std::string TemporaryRoot();
// The name of the account the program runs as, from the account database
// (the environment may lack or misstate it); "" when it has no entry.
std::string AccountName();

}  // namespace tavrek::install
