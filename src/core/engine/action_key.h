#pragma once
// A stable English key per change-log row, for machine readers: the German
// action texts may change with the display, the keys never do.
#include <string_view>

namespace tavrek::engine {

// The key of a row from its image (the action code, or kNoImage for status
// rows) and its action text: "created", "deleted", "renamed", "start" ...
std::string_view ActionKey(int image, std::string_view actionText);

}  // namespace tavrek::engine
