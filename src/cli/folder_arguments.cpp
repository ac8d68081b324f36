#include "cli/folder_arguments.h"

#include "core/engine/backend/backend.h"
#include "core/engine/backend/capture/capture_backend.h"
#include "core/engine/folder_set.h"
#include "core/platform/absolute_path.h"
#include "core/platform/folder_probe.h"
#include "core/platform/visible_text.h"

namespace tavrek::cli {

std::optional<std::vector<std::string>> WatchedFolders(const std::vector<std::string>& arguments,
                                                       std::string& error) {
  std::vector<std::string> folders;
  std::optional<std::string> current;
  for (const std::string& argument : arguments) {
    if (argument.empty()) {
      error = "an empty folder name names no folder";
      return std::nullopt;
    }
    if (argument.front() != '/' && !current) {
      current = platform::CurrentFolder();
      if (!current) {
        error = "the current folder is gone, so " + platform::VisibleText(argument) +
                " names no folder";
        return std::nullopt;
      }
    }
    folders.push_back(platform::AbsolutePath(argument, current.value_or("/")));
  }
  return folders;
}

engine::FolderChoices ChoicesOfFolders(const std::vector<std::string>& arguments,
                                       const std::vector<std::string>& folders,
                                       const engine::FolderChoices& choices) {
  engine::FolderChoices made;
  for (size_t index = 0; index < arguments.size() && index < folders.size(); ++index) {
    engine::SetChoice(made, folders[index], engine::ChoiceOf(choices, arguments[index]));
  }
  return made;
}

bool ChosenBackendsUsable(engine::BackendType forced, const engine::FolderChoices& choices,
                          const std::vector<std::string>& folders, std::string& error) {
  for (const std::string& folder : folders) {
    if (engine::EffectiveChoice(forced, choices, folder) != engine::BackendType::Fanotify) continue;
    // A folder that cannot be opened is reported as such when the watch starts.
    if (!platform::ProbeFolder(folder)) continue;
    const std::string normalised = engine::NormaliseFolderPath(folder);
    if (!engine::FanotifyUsable(normalised) && !engine::CaptureHelperServes(normalised)) {
      error = "fanotify cannot watch " + platform::VisibleText(folder) +
              " (it needs CAP_SYS_ADMIN and a file system with file handles); " +
              engine::kCaptureHelperHint;
      return false;
    }
  }
  return true;
}

}  // namespace tavrek::cli
