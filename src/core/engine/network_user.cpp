#include "core/engine/network_user.h"

#include "core/platform/text_case.h"

namespace tavrek::engine {

void NetworkUserOf(std::string_view path, const platform::OpenFileList& openFiles,
                   std::string& user) {
  if (openFiles.empty()) return;
  const std::string upperPath = platform::UpperCase(path);
  for (const platform::OpenFile& file : openFiles) {
    if (file.path.empty()) continue;
    if (platform::UpperCase(file.path) == upperPath) user = file.user;
  }
}

}  // namespace tavrek::engine
