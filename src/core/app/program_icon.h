#pragma once
// The program icon as SVG text, built in from resources/icons/tavrek.svg.
#include <string_view>

namespace tavrek::app {

std::string_view ProgramIconSvg();

}  // namespace tavrek::app
