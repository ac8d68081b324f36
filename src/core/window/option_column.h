#pragma once
// Where the controls left of the lists go for a client height: the buttons,
// the option boxes in their group, the icon and the system line. Where the
// template fits they keep its places; in a lower window the gaps between
// them shrink so that every button and option box stays in sight, and what
// still does not fit below the option group (the icon, the system line) is
// hidden rather than cut.
#include <vector>

#include "core/window/dialog_template.h"

namespace tavrek::window {

struct ColumnControl {
  Rect rect;          // in pixels: the template's place as input, the new place as result
  bool group = false; // the frame of the option boxes: it grows around those inside it
  bool shown = true;
};

// The column's controls (any order) placed for `height`; the result keeps
// the order given. `minimumHeight` (when asked) gets the lowest height at
// which every button and option box is in sight.
std::vector<ColumnControl> PlaceOptionColumn(std::vector<ColumnControl> controls, int height,
                                             int* minimumHeight = nullptr);

}  // namespace tavrek::window
