#include "core/install/install_layout.h"

#include <pwd.h>
#include <stdlib.h>
#include <unistd.h>

#include <vector>

#include "core/app/identity.h"

namespace tavrek::install {
namespace {

constexpr long kAccountBufferSize = 16384;  // when the system names no size

}  // namespace

InstallFolders FoldersForScope(InstallScope scope, const app::DesktopFolders& user,
                               const std::string& desktopFolder) {
  if (scope == InstallScope::AllUsers) {
    return {"/usr/local/lib", "/usr/local/share/applications", "/etc/xdg/menus/applications-merged",
            "/usr/local/share/desktop-directories", desktopFolder};
  }
  return {user.home + "/.local/lib", user.Applications(),
          user.configHome + "/menus/applications-merged", user.dataHome + "/desktop-directories",
          desktopFolder};
}

std::string DefaultTargetFolder(const InstallFolders& folders) {
  return folders.programFiles + "/" + std::string(app::kProductName);
}

std::string TargetBelow(const std::string& chosenFolder) {
  const std::string joined = chosenFolder + "/" + std::string(app::kProductName);
  std::string collapsed;
  for (char c : joined) {
    if (c == '/' && !collapsed.empty() && collapsed.back() == '/') continue;
    collapsed += c;
  }
  return collapsed;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string TemporaryRoot() {
  const char* configured = getenv("TMPDIR");
  if (configured != nullptr && configured[0] == '/') return configured;
  return "/tmp";
}

std::string AccountName() {
  const long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(static_cast<size_t>(suggested > 0 ? suggested : kAccountBufferSize));
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) {
    return {};
  }
  return found->pw_name;
}

}  // namespace tavrek::install
