#pragma once
// Tab and Shift+Tab over a window's controls in one fixed order that wraps at
// either end. Qt's own focus chain is shared with every widget of the frame
// and reorders itself around compound controls (a line edit with its clear
// button, a view with its viewport); a window that names its stops walks
// them itself.
#include <vector>

class QWidget;

namespace tavrek::ui {

// Moves the focus from the stop that holds it (the stop or a widget inside it)
// to the next one in `stops` (the previous one when !forward) that is shown
// and enabled. False when the focus is in none of the stops.
bool MoveFocusAlong(const std::vector<QWidget*>& stops, bool forward);

}  // namespace tavrek::ui
