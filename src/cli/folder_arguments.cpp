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

bool ForcedBackendUsable(engine::BackendType backend, const std::vector<std::string>& folders,
                         std::string& error) {
  if (backend != engine::BackendType::Fanotify) return true;
  for (const std::string& folder : folders) {
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
