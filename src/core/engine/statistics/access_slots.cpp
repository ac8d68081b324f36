#include "core/engine/statistics/access_slots.h"

#include "core/engine/action.h"

namespace tavrek::engine {

int SlotOfAction(int32_t actionCode) {
  switch (actionCode) {
    case engine::kActionAccessTime: return 1;
    case engine::kActionWritten: return 2;
    case engine::kActionSize: return 3;
    case engine::kActionChanged: return 4;
    case engine::kActionDeleted: return 5;
    case engine::kActionRename: return 6;
    case engine::kActionSecurity: return 7;
    default: return 0;
  }
}

}  // namespace tavrek::engine
