#include "core/app/desktop_folders.h"

#include <stdlib.h>

#include <chrono>

#include "core/platform/config_paths.h"
#include "core/platform/run_program.h"

namespace tavrek::app {
namespace {

constexpr std::chrono::milliseconds kToolTimeout{5000};

std::string Variable(const char* name) {
  const char* value = getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

bool IsAbsolute(const std::string& path) { return !path.empty() && path.front() == '/'; }

}  // namespace

DesktopFolders DesktopFolders::FromEnvironment() {
  return For(platform::HomeFolder(), Variable("XDG_DATA_HOME"), Variable("XDG_CONFIG_HOME"));
}

DesktopFolders DesktopFolders::For(const std::string& home, const std::string& dataHomeVariable,
                                   const std::string& configHomeVariable) {
  DesktopFolders folders;
  folders.home = home;
  folders.dataHome = IsAbsolute(dataHomeVariable) ? dataHomeVariable : home + "/.local/share";
  folders.configHome =
      IsAbsolute(configHomeVariable) ? configHomeVariable : home + "/.config";
  return folders;
}

std::string UserDesktopFolder(const DesktopFolders& folders) {
  const std::string tool = platform::FindProgram("xdg-user-dir");
  if (!tool.empty()) {
    // The tool reads HOME and XDG_CONFIG_HOME itself; the answer is only
    // trusted when it lies below the home folder we were given.
    auto printed = platform::RunProgram(tool, {tool, "DESKTOP"}, kToolTimeout);
    if (printed) {
      while (!printed->empty() && (printed->back() == '\n' || printed->back() == '/')) {
        printed->pop_back();
      }
      if (printed->starts_with(folders.home + "/") && *printed != folders.home) return *printed;
    }
  }
  return folders.home + "/Desktop";
}

}  // namespace tavrek::app
