#include "core/app/file_manager_actions.h"

#include <errno.h>
#include <unistd.h>

#include "core/app/desktop_entry.h"
#include "core/app/identity.h"
#include "core/app/shell_registration.h"
#include "core/app/start_command.h"
#include "core/platform/file_io.h"
#include "core/platform/visible_text.h"

namespace tavrek::app {
namespace {

constexpr unsigned kScriptMode = 0755;
constexpr std::string_view kActionFileStem = "tavrek-folder";

bool RemoveFile(const std::string& path) { return unlink(path.c_str()) == 0 || errno == ENOENT; }

bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

std::string ReadText(const std::string& path) { return platform::ReadWholeFile(path).bytes; }

bool RegisterAll(const DesktopFolders& folders, const std::string& programPath) {
  // Dolphin runs a user's service menu only when the file is executable.
  bool ok = WriteIfChanged(DolphinActionPath(folders), DolphinAction(programPath), kScriptMode) !=
            WriteOutcome::Failed;
  ok = WriteIfChanged(NemoActionPath(folders), NemoAction(programPath)) != WriteOutcome::Failed &&
       ok;
  ok = WriteIfChanged(NautilusScriptPath(folders), NautilusScript(programPath), kScriptMode) !=
           WriteOutcome::Failed &&
       ok;
  const platform::FileContent thunar = platform::ReadWholeFile(ThunarActionsPath(folders));
  if (platform::IsReadError(thunar.status)) return false;
  const std::string withOurs = WithThunarAction(thunar.bytes, ThunarAction(programPath));
  if (withOurs.empty()) return false;  // not a file we understand: leave it alone
  return WriteIfChanged(ThunarActionsPath(folders), withOurs) != WriteOutcome::Failed && ok;
}

void RemoveAll(const DesktopFolders& folders) {
  RemoveFile(DolphinActionPath(folders));
  RemoveFile(NemoActionPath(folders));
  RemoveFile(NautilusScriptPath(folders));
  const std::string thunar = ReadText(ThunarActionsPath(folders));
  if (HasThunarAction(thunar)) {
    platform::WriteFileAtomically(ThunarActionsPath(folders), WithoutThunarAction(thunar));
  }
}

}  // namespace

std::string VerbName() { return "*" + std::string(kProductName); }

std::string VerbRegistrationFailure() {
  return "Fehler beim Registrieren der " + std::string(kProductName) + "Dateien (*.tvk)";
}

std::string FolderOptionCommand(const std::string& programPath) {
  return ShellWord(programPath) + " " + std::string(kFolderOption);
}

std::string RefusedVerbText(std::string_view programPath) {
  if (!IsWritableInEntries(programPath)) {
    return VerbRegistrationFailure() + "\n" + RefusedProgramPathText(programPath);
  }
  if (programPath.find('%') == std::string_view::npos) return {};
  return VerbRegistrationFailure() +
         "\nDer Programmpfad lässt sich nicht als Ordneraktion eintragen (\"%\" im Pfad):\n" +
         platform::VisibleText(programPath);
}

std::string DolphinActionPath(const DesktopFolders& folders) {
  return folders.dataHome + "/kio/servicemenus/" + std::string(kActionFileStem) + ".desktop";
}

std::string NemoActionPath(const DesktopFolders& folders) {
  return folders.dataHome + "/nemo/actions/" + std::string(kActionFileStem) + ".nemo_action";
}

std::string NautilusScriptPath(const DesktopFolders& folders) {
  return folders.dataHome + "/nautilus/scripts/" + VerbName();
}

std::string ThunarActionsPath(const DesktopFolders& folders) {
  return folders.configHome + "/Thunar/uca.xml";
}

std::string DolphinAction(const std::string& programPath) {
  // KIO reads Exec by the desktop-entry rules; "%f" is the folder, one argument.
  return "[Desktop Entry]\nType=Service\nMimeType=inode/directory;\nActions=tavrekWatch;\n"
         "X-KDE-ServiceTypes=KonqPopupMenu/Plugin\n\n[Desktop Action tavrekWatch]\nName=" +
         VerbName() + "\nIcon=" + std::string(kIconName) + "\nExec=" +
         ExecArgument(programPath) + " " + std::string(kFolderOption) + " %f\n";
}

std::string NemoAction(const std::string& programPath) {
  // Nemo puts "%U" in as text before it splits the line: a URI has no blank,
  // quote or backslash left, and Quote=double keeps its other characters.
  return "[Nemo Action]\nName=" + VerbName() + "\nComment=" + VerbName() +
         "\nExec=" + EntryValue(FolderOptionCommand(programPath)) +
         " %U\nQuote=double\nIcon-Name=" + std::string(kIconName) +
         "\nSelection=s\nExtensions=dir;\n";
}

std::string NautilusScript(const std::string& programPath) {
  // The chosen names arrive as arguments, relative to the shown folder.
  return "#!/bin/sh\n# " + VerbName() +
         ": watch the chosen folders.\n"
         "for f in \"$@\"; do\n"
         "  case $f in /*) ;; *) f=$PWD/$f ;; esac\n"
         "  [ -d \"$f\" ] && " + FolderOptionCommand(programPath) + " \"$f\" &\n"
         "done\n";
}

FolderVerbResult FolderVerb(FolderVerbMode mode, const DesktopFolders& folders,
                            const std::string& programPath) {
  FolderVerbResult result;
  switch (mode) {
    case FolderVerbMode::Query:
      result.value = Exists(DolphinActionPath(folders)) || Exists(NemoActionPath(folders)) ||
                             Exists(NautilusScriptPath(folders)) ||
                             HasThunarAction(ReadText(ThunarActionsPath(folders)))
                         ? 1
                         : 0;
      break;
    case FolderVerbMode::Register:
      result.failure = RefusedVerbText(programPath);
      if (result.failure.empty() && !RegisterAll(folders, programPath)) {
        result.failure = VerbRegistrationFailure();
      }
      break;
    case FolderVerbMode::Remove:
      RemoveAll(folders);
      break;
  }
  return result;
}

}  // namespace tavrek::app
