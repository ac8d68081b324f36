#include "core/platform/folder_probe.h"

#include <fcntl.h>
#include <unistd.h>

namespace tavrek::platform {

bool ProbeFolder(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  close(fd);
  return true;
}

}  // namespace tavrek::platform
