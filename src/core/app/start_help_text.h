#pragma once
// The rows of the start-help window.
#include <string>
#include <string_view>
#include <vector>

namespace tavrek::app {

inline constexpr std::string_view kStartHelpCaption = "Starthilfe";

// One row per line of the text, blanks and empty lines included.
std::vector<std::string> StartHelpRows(std::string_view productName);

}  // namespace tavrek::app
