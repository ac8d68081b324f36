#pragma once
// The decimal reading the settings file and the placement text use: blanks,
// an optional "-" and the leading digits, with nothing required after them.
#include <string_view>

namespace tavrek::platform {

// "12abc" gives 12, " -5" gives -5, "abc" and "" give 0. Values beyond the
// range of int stop at its nearest end instead of wrapping.
int ParseLeadingInt(std::string_view text);

}  // namespace tavrek::platform
