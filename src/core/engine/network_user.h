#pragma once
// The network user who has a changed file open through a share of this machine.
#include <string>
#include <string_view>

#include "core/platform/open_files.h"

namespace tavrek::engine {

// The user of the open file whose path equals `path` without regard to letter
// case; when several match, the last one wins. Leaves `user` unchanged when
// none matches.
void NetworkUserOf(std::string_view path, const platform::OpenFileList& openFiles,
                   std::string& user);

}  // namespace tavrek::engine
