// Stand-in until the fanotify backend joins this tree: never usable.
#include "core/engine/backend/backend.h"

namespace tavrek::engine {

__attribute__((weak)) std::unique_ptr<Backend> MakeFanotifyBackend() { return nullptr; }

__attribute__((weak)) bool FanotifyUsable(const std::string& /*folder*/) { return false; }

}  // namespace tavrek::engine
