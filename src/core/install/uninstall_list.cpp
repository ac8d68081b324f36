// Uninstall (declared in uninstaller.h): the list's two passes, the document
// type, the folders the installer made and the settings key.
#include <errno.h>

#include <filesystem>
#include <system_error>

#include "core/app/identity.h"
#include "core/app/shell_registration.h"
#include "core/platform/file_io.h"
#include "core/install/install_layout.h"
#include "core/install/list_removal.h"
#include "core/install/install_texts.h"
#include "core/install/uninstaller.h"

namespace tavrek::install {
namespace {

std::string Trimmed(std::string_view line) {
  const size_t first = line.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const size_t last = line.find_last_not_of(" \t\r");
  return std::string(line.substr(first, last - first + 1));
}

std::vector<std::string> ListLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = Trimmed(std::string_view(text).substr(start, end - start));
    if (!line.empty()) lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

// The folders an installation of either scope writes to; the target folder
// is the list's own.
std::vector<RemovalPlace> InstallPlaces(const std::string& target, const app::DesktopFolders& user,
                                        const std::string& desktop) {
  std::vector<RemovalPlace> places{{target, 1, true}, {desktop, 1, false}};
  for (InstallScope scope : {InstallScope::OnlyMe, InstallScope::AllUsers}) {
    const InstallFolders folders = FoldersForScope(scope, user, desktop);
    places.push_back({folders.applications, 2, false});  // the group is a folder there
    places.push_back({folders.menus, 1, true});
    places.push_back({folders.directories, 1, true});
  }
  return places;
}

std::string ExecLine(const std::string& entry) {
  const size_t start = entry.find("\nExec=");
  if (start == std::string::npos) return {};
  const size_t end = entry.find('\n', start + 1);
  return entry.substr(start + 1, end == std::string::npos ? end : end - start - 1);
}

// The document type, the program's entry and icon were last written by the
// listed program (another copy of Tavrek keeps its own).
bool RegisteredFor(const std::string& program, const std::string& target,
                   const app::DesktopFolders& user) {
  if (FolderOf(program) != target) return false;
  const platform::FileContent entry = platform::ReadTextFile(app::ProgramEntryPath(user));
  return entry.status == platform::ReadStatus::Ok &&
         ExecLine(entry.bytes) == ExecLine(app::ProgramDesktopEntry(program));
}

class Tally {
 public:
  void Note(const std::string& path, RemovalResult result) {
    if (result.removal == Removal::Foreign || result.removal == Removal::ThroughLink ||
        result.removal == Removal::Failed) {
      entries_.push_back({path, result});
    }
    if (result.removal == Removal::Failed) failed_ = true;
  }
  // A file of the registration, in its own folder only.
  void RemoveOwn(const std::string& path) {
    Note(path, RemoveListedFile(path, {{FolderOf(path), 1, false}}));
  }
  bool failed() const { return failed_; }
  const std::vector<NotRemoved>& entries() const { return entries_; }

 private:
  std::vector<NotRemoved> entries_;
  bool failed_ = false;
};

}  // namespace

UninstallReport Uninstall(const std::string& listPath, const app::DesktopFolders& user,
                          const std::string& desktopFolder, platform::RegistryStore& registry) {
  UninstallReport report;
  const platform::FileContent list = platform::ReadTextFile(listPath);
  if (list.status != platform::ReadStatus::Ok) {
    report.failure = ListOpenFailure(listPath);
    return report;
  }
  report.listRead = true;
  const std::vector<std::string> lines = ListLines(list.bytes);
  std::error_code ignored;  // a list named relative to the working folder
  const std::string target = FolderOf(std::filesystem::absolute(listPath, ignored).string());
  const std::vector<RemovalPlace> places = InstallPlaces(target, user, desktopFolder);
  const bool registered = !lines.empty() && RegisteredFor(lines.front(), target, user);
  Tally tally;
  for (const std::string& line : lines) {
    if (line.front() != '*') tally.Note(line, RemoveListedFile(line, places));
  }
  if (registered) {
    for (const std::string& file :
         {app::ProgramEntryPath(user), app::MimePackagePath(user), app::UserIconPath(user)}) {
      tally.RemoveOwn(file);
    }
  }
  for (const std::string& line : lines) {
    if (line.front() == '*') tally.Note(line.substr(1), RemoveListedFolder(line.substr(1), places));
  }
  report.ran = !tally.failed();
  if (report.ran && !registry.DeleteKeyTree(app::kApplicationRegistryKey) &&
      registry.KeyExists(app::kApplicationRegistryKey)) {
    tally.Note(std::string(app::kApplicationRegistryKey), {Removal::Failed, EIO});
  }
  if (!tally.entries().empty()) report.failure = NotRemovedMessage(tally.entries(), report.ran);
  return report;
}

}  // namespace tavrek::install
