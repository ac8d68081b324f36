#include "core/engine/watch_options.h"

#include "core/engine/action.h"

namespace tavrek::engine {

KindSet KindsToStart(const WatchOptions& options) {
  KindSet kinds{};
  kinds[kKindName] = options.rename == 1 || options.remove == 1;
  kinds[kKindWrite] = options.write == 1;
  kinds[kKindAccess] = options.access == 1;
  kinds[kKindSize] = options.size == 1;
  kinds[kKindAttributes] = options.attributes == 1;
  kinds[kKindSecurity] = options.security == 1;
  kinds[kKindCreation] = options.creation == 1;
  return kinds;
}

int OptionCount(const WatchOptions& options) {
  int count = 0;
  for (int32_t flag : {options.rename, options.remove, options.write, options.access,
                       options.size, options.attributes, options.security, options.creation}) {
    if (flag == 1) ++count;
  }
  return count;
}

bool MayLog(const WatchOptions& options, Action action) {
  if (action == Action::kDeleted) return options.remove != 0;
  if (IsRename(action)) return options.rename != 0;
  return true;
}

}  // namespace tavrek::engine
