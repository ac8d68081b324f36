#include "core/install/uninstaller.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/app/desktop_entry.h"
#include "core/app/identity.h"
#include "core/platform/file_io.h"
#include "core/install/install_layout.h"
#include "core/install/install_texts.h"

namespace tavrek::install {
namespace {

constexpr unsigned kProgramMode = 0700;
constexpr std::string_view kScriptName = "_uninsep.sh";

constexpr std::string_view kCopyFolderPrefix = "tavrek-uninstall-";
constexpr std::string_view kCopyFolderPattern = "XXXXXX";
constexpr std::string_view kShell = "/bin/sh";

std::string CopyName() { return std::string(app::kProductName) + "_uninstall"; }

// The path with every link resolved, or as it is when it cannot be.
std::string Resolved(const std::string& path) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return path;
  std::string text(resolved);
  free(resolved);
  return text;
}

std::string ScriptPathBeside(const std::string& copyPath) {
  return FolderOf(copyPath) + "/" + std::string(kScriptName);
}

}  // namespace

UninstallRelaunch PrepareUninstallRelaunch(const std::string& programPath,
                                           const std::string& temporaryRoot) {
  UninstallRelaunch relaunch;
  std::string folder =
      temporaryRoot + "/" + std::string(kCopyFolderPrefix) + std::string(kCopyFolderPattern);
  const std::string name = CopyName();
  if (mkdtemp(folder.data()) == nullptr) {
    relaunch.failure = TargetOpenFailure(temporaryRoot + "/" + name);
    return relaunch;
  }
  relaunch.copyPath = folder + "/" + name;
  const platform::FileContent program = platform::ReadWholeFile(programPath);
  if (program.status != platform::ReadStatus::Ok ||
      !platform::WriteFileAtomically(relaunch.copyPath, program.bytes) ||
      chmod(relaunch.copyPath.c_str(), kProgramMode) != 0) {
    RemoveRelaunchCopy(relaunch.copyPath);
    relaunch.failure = TargetOpenFailure(relaunch.copyPath);
    return relaunch;
  }
  const std::string list = FolderOf(programPath) + "/" + std::string(kUninstallListName);
  relaunch.arguments = {relaunch.copyPath, std::string(kUninstallFromList), list};
  return relaunch;
}

std::string SelfDeleteScript(const std::string& copyPath, const std::string& scriptPath,
                             pid_t pid) {
  const std::string copy = app::ShellWord(copyPath);
  return "#!/bin/sh\nwhile kill -0 " + std::to_string(pid) + " 2>/dev/null; do sleep 1; done\n" +
         "while [ -e " + copy + " ]; do rm -f " + copy + " || sleep 1; done\n" + "rm -f " +
         app::ShellWord(scriptPath) + "\nrmdir " + app::ShellWord(FolderOf(copyPath));
}

std::string WriteSelfDeleteScript(const std::string& copyPath, pid_t pid) {
  const std::string script = ScriptPathBeside(copyPath);
  if (!platform::WriteFileAtomically(script, SelfDeleteScript(copyPath, script, pid))) return {};
  return script;
}

bool IsRelaunchCopy(const std::string& programPath, const std::string& temporaryRoot) {
  const std::string folder = FolderOf(programPath);
  const std::string folderName = folder.substr(folder.rfind('/') + 1);
  return programPath == folder + "/" + CopyName() &&
         Resolved(FolderOf(folder)) == Resolved(temporaryRoot) &&
         folderName.size() == kCopyFolderPrefix.size() + kCopyFolderPattern.size() &&
         folderName.starts_with(kCopyFolderPrefix);
}

void DiscardRelaunchCopy(const std::string& programPath, const std::string& temporaryRoot,
                         InstallerHooks& hooks) {
  if (!IsRelaunchCopy(programPath, temporaryRoot)) return;
  const std::string script = WriteSelfDeleteScript(programPath, getpid());
  if (!script.empty() && hooks.StartProgram({std::string(kShell), script})) return;
  RemoveRelaunchCopy(programPath);
}

void RemoveRelaunchCopy(const std::string& copyPath) {
  unlink(copyPath.c_str());
  unlink(ScriptPathBeside(copyPath).c_str());
  rmdir(FolderOf(copyPath).c_str());
}

}  // namespace tavrek::install
