#pragma once
// Where the program keeps its per-user files: the XDG configuration folder
// of the user, in a folder named for the company.
#include <string>
#include <string_view>

namespace tavrek::platform {

// The company's folder name; the same word as the company key of the
// application identity, which the registry key paths use.
inline constexpr std::string_view kVendorFolderName = "Quorvane";

// $HOME, or the home folder of the user's account when HOME is unset or empty;
// empty when neither is known.
std::string HomeFolder();

// $XDG_CONFIG_HOME when it is an absolute path, else HomeFolder() + "/.config".
std::string UserConfigHome();

// UserConfigHome() + "/Quorvane".
std::string ConfigFolder();

// ConfigFolder() + "/" + productName + ".ini".
std::string SettingsFilePath(std::string_view productName);

}  // namespace tavrek::platform
