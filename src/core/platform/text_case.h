#pragma once
// Letter case of UTF-8 text: Unicode simple case mapping of every valid UTF-8
// sequence; bytes that are not valid UTF-8 stay as they are.
#include <string>
#include <string_view>

namespace tavrek::platform {

std::string UpperCase(std::string_view text);
std::string LowerCase(std::string_view text);

// Whether the two texts are equal once both are upper-cased.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace tavrek::platform
