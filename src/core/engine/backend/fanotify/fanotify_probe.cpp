// Whether fanotify with file-system marks and name reporting can watch a
// folder: it needs CAP_SYS_ADMIN, a kernel that reports directory handles and
// names, and a file system that hands out file handles and a file-system id.
#include <sys/stat.h>

#include <cerrno>
#include <optional>

#include "core/engine/backend/backend.h"
#include "core/engine/backend/fanotify/fanotify_abi.h"
#include "core/engine/backend/fanotify/fanotify_kernel.h"
#include "core/engine/backend/per_file_system.h"

namespace tavrek::engine {
namespace {

// Running out of descriptors or memory says nothing about the file system:
// such an answer is not kept.
bool IsPassing(int error) { return error == EMFILE || error == ENFILE || error == ENOMEM; }

std::optional<bool> ProbeFolder(const std::string& folder) {
  FanotifyScopedFd group = OpenFilesystemGroup(folder, FanotifyFilesystemMask(false));
  if (!group.valid()) {
    if (IsPassing(errno)) return std::nullopt;
    return false;
  }
  return IdentifyFolder(folder).has_value();
}

}  // namespace

bool FanotifyUsable(const std::string& folder) {
  static PerFileSystemAnswer usable(ProbeFolder);
  return usable.For(folder);
}

}  // namespace tavrek::engine
