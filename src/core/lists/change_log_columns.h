#pragma once
// The change log's columns as the window first shows them: titles and widths
// in pixels. The window and every export of the log take them from here.
#include <array>
#include <string_view>

#include "core/engine/change_log.h"

namespace tavrek::lists {

struct ColumnDefault {
  std::string_view title;
  int width;
};

inline constexpr std::array<ColumnDefault, engine::kLogColumnCount> kChangeLogColumns{{
    {"", 30},  // the row's image only
    {"Zeit", 80},
    {"Aktion", 170},
    {"Name", 170},
    {"Name alt", 130},
    {"User (Beta)", 70},
    {"Intern", 70},
    {"Prozess", 110},
}};

}  // namespace tavrek::lists
