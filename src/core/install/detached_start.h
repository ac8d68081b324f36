#pragma once
// Starting a program that outlives us: its own session, no terminal, the
// standard streams on /dev/null.
#include <string>
#include <vector>

namespace tavrek::install {

// `arguments` holds argument 0; `arguments[0]` is the program's path. True
// when the program was started.
bool StartDetached(const std::vector<std::string>& arguments,
                   const std::string& workingFolder = {});

}  // namespace tavrek::install
