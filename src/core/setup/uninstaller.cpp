#include "core/setup/uninstaller.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/app/desktop_entry.h"
#include "core/app/identity.h"
#include "core/platform/file_io.h"
#include "core/setup/install_layout.h"
#include "core/setup/setup_texts.h"

namespace tavrek::setup {
namespace {

constexpr unsigned kProgramMode = 0700;
constexpr std::string_view kScriptName = "_uninsep.sh";

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

}  // namespace

UninstallRelaunch PrepareUninstallRelaunch(const std::string& programPath,
                                           const std::string& temporaryRoot) {
  UninstallRelaunch relaunch;
  std::string folder = temporaryRoot + "/tavrek-uninstall-XXXXXX";
  const std::string name = std::string(app::kProductName) + "_uninstall";
  if (mkdtemp(folder.data()) == nullptr) {
    relaunch.failure = TargetOpenFailure(temporaryRoot + "/" + name);
    return relaunch;
  }
  relaunch.copyPath = folder + "/" + name;
  const platform::FileContent program = platform::ReadWholeFile(programPath);
  if (program.status != platform::ReadStatus::Ok ||
      !platform::WriteFileAtomically(relaunch.copyPath, program.bytes) ||
      chmod(relaunch.copyPath.c_str(), kProgramMode) != 0) {
    unlink(relaunch.copyPath.c_str());
    rmdir(folder.c_str());
    relaunch.failure = TargetOpenFailure(relaunch.copyPath);
    return relaunch;
  }
  const std::string list = FolderOf(programPath) + "/" + std::string(kUninstallListName);
  relaunch.arguments = {relaunch.copyPath, "-uninstall+" + list};
  return relaunch;
}

UninstallReport Uninstall(const std::string& listPath, platform::RegistryStore& registry) {
  UninstallReport report;
  const platform::FileContent list = platform::ReadWholeFile(listPath);
  if (list.status != platform::ReadStatus::Ok) {
    report.failure = ListOpenFailure(listPath);
    return report;
  }
  const std::vector<std::string> lines = ListLines(list.bytes);
  for (const std::string& line : lines) {
    if (line.front() != '*') unlink(line.c_str());
  }
  for (const std::string& line : lines) {
    if (line.front() == '*') rmdir(line.c_str() + 1);  // only an empty folder goes
  }
  registry.DeleteKeyTree(app::kApplicationRegistryKey);
  report.ran = true;
  return report;
}

std::string SelfDeleteScript(const std::string& copyPath, const std::string& scriptPath,
                             pid_t pid) {
  const std::string copy = app::ShellWord(copyPath);
  return "#!/bin/sh\nwhile kill -0 " + std::to_string(pid) + " 2>/dev/null; do sleep 1; done\n" +
         "while [ -e " + copy + " ]; do rm -f " + copy + " || sleep 1; done\n" + "rm -f " +
         app::ShellWord(scriptPath) + "\nrmdir " + app::ShellWord(FolderOf(copyPath));
}

std::string WriteSelfDeleteScript(const std::string& copyPath, pid_t pid) {
  const std::string script = FolderOf(copyPath) + "/" + std::string(kScriptName);
  if (!platform::WriteFileAtomically(script, SelfDeleteScript(copyPath, script, pid))) return {};
  return script;
}

}  // namespace tavrek::setup
