#pragma once
// The application's identity texts, used for the settings file name, the
// registry key paths, captions and the shell registrations.
#include <string_view>

#include "core/platform/config_paths.h"

namespace tavrek::app {

inline constexpr std::string_view kProductName = "Tavrek";
inline constexpr std::string_view kVersion = "2.51";
inline constexpr std::string_view kCompanyKey = "Quorvane";

// The per-user registry key of the main window and the program's preferences.
inline constexpr std::string_view kApplicationRegistryKey = "Software\\Quorvane\\Tavrek";

static_assert(kCompanyKey == platform::kVendorFolderName,
              "the configuration folder is named for the company");

}  // namespace tavrek::app
