#pragma once
// Short names of what a backend reports, so tests can write expected changes
// as text ("created a.txt", "movedout sub").
#include <array>
#include <string_view>

#include "core/engine/backend/backend.h"

namespace tavrek::testing {

inline std::string_view RawActionName(engine::RawAction action) {
  static constexpr std::array<std::string_view, 8> kNames{
      "created", "deleted", "movedout", "movedin", "renamed", "modified", "attrib", "accessed"};
  return kNames[static_cast<size_t>(action)];
}

}  // namespace tavrek::testing
