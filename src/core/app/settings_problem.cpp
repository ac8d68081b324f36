#include "core/app/settings_problem.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>

#include "core/app/identity.h"
#include "core/platform/file_io.h"
#include "core/platform/profile_text.h"
#include "core/platform/update_lock.h"

namespace tavrek::app {
namespace {

// Only asks whether the lock is free now: the write that failed has waited already.
constexpr std::chrono::milliseconds kNoWait{0};

// What the file's name holds, when it is no regular file.
SettingsProblem KindProblem(const std::string& target) {
  struct stat status {};
  if (stat(target.c_str(), &status) != 0 || S_ISREG(status.st_mode)) return SettingsProblem::kNone;
  return S_ISDIR(status.st_mode) ? SettingsProblem::kFolder : SettingsProblem::kNotAFile;
}

// The folder a missing one would be made in: the nearest that is there.
std::string NearestFolder(std::string folder) {
  while (access(folder.c_str(), F_OK) != 0 && folder != "/" && folder != ".") {
    folder = platform::ParentFolder(folder);
  }
  return folder;
}

std::string Reason(SettingsProblem problem) {
  switch (problem) {
    case SettingsProblem::kLocked:
      return "Die Datei wird von einem anderen Programm gesperrt (läuft " + std::string(kProductName) +
             " ein zweites Mal?).";
    case SettingsProblem::kReadOnly: return "Die Datei oder ihr Ordner ist schreibgeschützt.";
    case SettingsProblem::kNotAFile:
      return "Unter diesem Namen liegt keine Datei, sondern eine FIFO, ein Gerät oder ein Socket.";
    case SettingsProblem::kFolder: return "Unter diesem Namen liegt ein Ordner.";
    case SettingsProblem::kUnreadable: return "Die Datei kann nicht gelesen werden.";
    case SettingsProblem::kNotText: return "Die Datei ist keine Textdatei in einer bekannten Kodierung.";
    case SettingsProblem::kWriteFailed: return "Die Datei kann nicht geschrieben werden (Datenträger voll?).";
    case SettingsProblem::kNone: break;
  }
  return {};
}

}  // namespace

SettingsProblem ReadProblemOf(const std::string& path) {
  const std::string target = platform::ResolveTarget(path);
  if (const SettingsProblem kind = KindProblem(target); kind != SettingsProblem::kNone) return kind;
  const platform::FileContent content = platform::ReadTextFile(target);
  if (content.status == platform::ReadStatus::Missing) return SettingsProblem::kNone;
  if (content.status != platform::ReadStatus::Ok) return SettingsProblem::kUnreadable;
  return platform::ProfileText::IsProfileText(content.bytes) ? SettingsProblem::kNone
                                                              : SettingsProblem::kNotText;
}

SettingsProblem WriteProblemOf(const std::string& path) {
  if (const SettingsProblem read = ReadProblemOf(path); read != SettingsProblem::kNone) return read;
  const std::string target = platform::ResolveTarget(path);
  if (platform::IsWriteProtected(target) ||
      access(NearestFolder(platform::ParentFolder(target)).c_str(), W_OK) != 0) {
    return SettingsProblem::kReadOnly;
  }
  const platform::UpdateLock lock(target, kNoWait);
  return lock.held() ? SettingsProblem::kWriteFailed : SettingsProblem::kLocked;
}

std::string SettingsProblemText(SettingsAccess access, SettingsProblem problem, const std::string& path) {
  const bool read = access == SettingsAccess::kRead;
  std::string text = read ? "Die Einstellungen können nicht gelesen werden.\n"
                          : "Die Einstellungen können nicht gespeichert werden.\n";
  text += Reason(problem);
  text += "\n" + path + "\n";
  text += read ? "Es gelten die Standardwerte; die Datei bleibt unverändert."
               : "Änderungen gelten nur bis zum Programmende; die Datei bleibt unverändert.";
  return text;
}

}  // namespace tavrek::app
