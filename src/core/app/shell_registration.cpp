#include "core/app/shell_registration.h"

#include <chrono>

#include "core/app/identity.h"
#include "core/app/program_icon.h"
#include "core/platform/run_program.h"

namespace tavrek::app {
namespace {

constexpr std::chrono::milliseconds kToolTimeout{20000};

WriteOutcome Combine(WriteOutcome a, WriteOutcome b) {
  if (a == WriteOutcome::Failed || b == WriteOutcome::Failed) return WriteOutcome::Failed;
  if (a == WriteOutcome::Written || b == WriteOutcome::Written) return WriteOutcome::Written;
  return WriteOutcome::Unchanged;
}

void RunIfInstalled(std::string_view name, const std::string& folder) {
  const std::string tool = platform::FindProgram(name);
  if (!tool.empty()) platform::RunProgram(tool, {tool, folder}, kToolTimeout);
}

}  // namespace

std::string DocumentMimePackage() {
  return std::string(
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
             "  <mime-type type=\"") +
         std::string(kDocumentMimeType) + "\">\n    <comment>" + std::string(kProductName) +
         " - Document</comment>\n    <icon name=\"" + std::string(kIconName) +
         "\"/>\n    <glob pattern=\"*.tvk\"/>\n  </mime-type>\n</mime-info>\n";
}

std::string ProgramDesktopEntry(const std::string& programPath) {
  ApplicationEntry entry;
  entry.name = std::string(kProductName);
  entry.comment = "Zeigt jede Änderung in überwachten Ordnern";
  entry.exec = {programPath};
  entry.fieldCode = "%f";
  entry.icon = std::string(kIconName);
  entry.extraLines = "Categories=System;Monitor;\nMimeType=" + std::string(kDocumentMimeType) +
                     ";\nStartupWMClass=" + std::string(kProductName) + "\n";
  return FormatApplicationEntry(entry);
}

std::string MimePackagePath(const DesktopFolders& folders) {
  return folders.MimeFolder() + "/packages/" + std::string(kMimePackageName);
}

std::string ProgramEntryPath(const DesktopFolders& folders) {
  return folders.Applications() + "/" + std::string(kDesktopId);
}

std::string UserIconPath(const DesktopFolders& folders) {
  return folders.dataHome + "/icons/hicolor/scalable/apps/" + std::string(kIconName) + ".svg";
}

WriteOutcome RegisterDocumentType(const DesktopFolders& folders, const std::string& programPath,
                                  bool refreshDatabases) {
  if (!IsWritableInEntries(programPath)) return WriteOutcome::Refused;
  const WriteOutcome mime = WriteIfChanged(MimePackagePath(folders), DocumentMimePackage());
  const WriteOutcome entry =
      WriteIfChanged(ProgramEntryPath(folders), ProgramDesktopEntry(programPath));
  const WriteOutcome icon = WriteIfChanged(UserIconPath(folders), ProgramIconSvg());
  const WriteOutcome all = Combine(Combine(mime, entry), icon);
  if (all != WriteOutcome::Unchanged && refreshDatabases) RefreshDesktopDatabases(folders);
  return all;
}

void RefreshDesktopDatabases(const DesktopFolders& folders) {
  RunIfInstalled("update-mime-database", folders.MimeFolder());
  RunIfInstalled("update-desktop-database", folders.Applications());
}

}  // namespace tavrek::app
