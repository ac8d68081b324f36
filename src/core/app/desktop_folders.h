#pragma once
// The per-user folders the desktop reads registrations from. Taken from the
// environment at start-up and passed in, so a test can point them elsewhere.
#include <string>

namespace tavrek::app {

struct DesktopFolders {
  std::string home;        // $HOME
  std::string dataHome;    // $XDG_DATA_HOME, else home + "/.local/share"
  std::string configHome;  // $XDG_CONFIG_HOME, else home + "/.config"

  static DesktopFolders FromEnvironment();
  // The same rules applied to a given home folder and variable values
  // (empty or relative values count as unset).
  static DesktopFolders For(const std::string& home, const std::string& dataHomeVariable,
                            const std::string& configHomeVariable);

  std::string Applications() const { return dataHome + "/applications"; }
  std::string MimeFolder() const { return dataHome + "/mime"; }
};

// The user's desktop folder: what `xdg-user-dir DESKTOP` prints, else
// home + "/Desktop".
std::string UserDesktopFolder(const DesktopFolders& folders);

}  // namespace tavrek::app
