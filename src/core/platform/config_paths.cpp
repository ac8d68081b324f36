#include "core/platform/config_paths.h"

#include <pwd.h>
#include <stdlib.h>
#include <unistd.h>

#include <vector>

namespace tavrek::platform {
namespace {

constexpr size_t kPasswdBufferFallback = 16384;

std::string Environment(const char* name) {
  const char* value = getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

std::string AccountHome() {
  const long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(suggested > 0 ? static_cast<size_t>(suggested)
                                         : kPasswdBufferFallback);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
      found == nullptr || found->pw_dir == nullptr) {
    return {};
  }
  return found->pw_dir;
}

}  // namespace

std::string HomeFolder() {
  std::string home = Environment("HOME");
  return home.empty() ? AccountHome() : home;
}

std::string UserConfigHome() {
  // The XDG rules say a relative path in the variable is to be ignored.
  std::string configured = Environment("XDG_CONFIG_HOME");
  if (!configured.empty() && configured.front() == '/') return configured;
  return HomeFolder() + "/.config";
}

std::string ConfigFolder() { return UserConfigHome() + "/" + std::string(kVendorFolderName); }

std::string SettingsFilePath(std::string_view productName) {
  return ConfigFolder() + "/" + std::string(productName) + ".ini";
}

}  // namespace tavrek::platform
