#pragma once
// Where the watch window's resizable parts go for a client size: the option
// column keeps its place, the folder and filter lists share the width right of
// it, the access area and the change log share the height below.
#include "core/window/dialog_template.h"

namespace tavrek::window {

struct LayoutInput {
  int width = 0;   // client width
  int height = 0;  // client height
  int edge = 0;    // width of a control's edge
  Rect accessLabel;  // "Letzte Zugriffe", as placed by the template
  Rect accessList;   // list 1016 before the resize (its position stays)
  Rect folderList;   // list 1005 before the resize
  // What the toolbars need in the font in use (0: no more than the template
  // gives). A toolbar is never cut; the log below it gives way instead.
  int toolbarHeight = 0;
  int accessToolbarWidth = 0;
  // In a low window the two share the height unequally: the log keeps
  // `minimumLogHeight` (rows enough to follow) while the access area above
  // can give way down to `minimumAccessHeight`. 0: an equal share.
  int minimumLogHeight = 0;
  int minimumAccessHeight = 0;
};

struct WindowLayout {
  Rect accessToolbar;  // over "Letzte Zugriffe"
  Rect accessList;     // also where the grouped tree goes
  Rect changeLog;
  Rect logLabel;       // moved, then hidden
  Rect logToolbar;
  Rect folderList;
  Rect filterList;
  Rect filteredCount;
  Rect filterToolbar;
};

inline constexpr double kFolderListShare = 0.65;
inline constexpr double kFilterListShare = 0.34;

WindowLayout ComputeLayout(const LayoutInput& input);

}  // namespace tavrek::window
