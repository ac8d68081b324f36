#pragma once
// Why the settings file cannot be read or saved, and how the user is told.
// A settings file the program cannot use is never replaced: its values stay
// for the day it is usable again, and the user is told in German once.
#include <string>

namespace tavrek::app {

enum class SettingsProblem {
  kNone,
  kLocked,      // another program holds the update lock longer than a save takes
  kReadOnly,    // the file, or the folder it must be replaced in, is write-protected
  kNotAFile,    // a FIFO, a device or a socket has the file's name
  kFolder,      // a folder has the file's name
  kUnreadable,  // there, but it cannot be read (no permission, too large)
  kNotText,     // no text in a known encoding
  kWriteFailed  // none of the above: the disk refused (full, quota, I/O error)
};

// Why the file reads as empty although something is there; kNone when it
// reads well or is simply missing.
SettingsProblem ReadProblemOf(const std::string& path);
// Why a write to the file failed; called after the failure, so a lock
// another holder has let go of since reads as a failed write.
SettingsProblem WriteProblemOf(const std::string& path);

enum class SettingsAccess { kRead, kSave };
// The message for the user: what went wrong, the reason, the file, and what
// that means for the settings.
std::string SettingsProblemText(SettingsAccess access, SettingsProblem problem, const std::string& path);

}  // namespace tavrek::app
