#pragma once
// The main frame's decisions that need no window: which commands it keeps,
// where an opened folder goes and how a tab shortens a caption.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/app/watch_phase.h"

namespace tavrek::app {

// True for the commands the frame handles itself (its menus, accelerators
// and drive buttons); every other command is the active watch window's.
// The favourites' numbers share their range with the watch window's own
// buttons, so a favourites menu entry calls its favourite directly.
bool IsFrameCommand(int command);

// True for the drive bar's commands ("AP" and the drive buttons).
bool IsDriveCommand(int command);

enum class OpenFolderRoute {
  AddToActive,      // Shift: add the folder to the active window's folders
  ReplaceInActive,  // Ctrl or the same-window flag: the active window watches it instead
  NewWindow,        // a new watch window watching the folder
  Nothing,          // Shift without a watch window
};

OpenFolderRoute RouteOpenFolder(bool shiftHeld, bool ctrlHeld, bool sameWindow,
                                bool hasActiveWindow);

// A tab shows at most 32 characters of a caption; a longer one is cut to 32
// followed by " ...". Characters, not bytes: a cut never splits one.
std::string TabCaption(std::string_view caption);

// Where a watch window's caption comes from: the document it was loaded
// from, the folder the frame opened in it, and the folders it holds now.
struct CaptionSource {
  std::string document;
  std::string openedFolder;
};

// The document's file name; else the opened folder while the window still
// holds it; else its folders joined by ", "; else the product name.
std::string WindowCaption(const CaptionSource& source, const std::vector<std::string>& folders);

// What the status bar offers over a tab's icon, where a double click closes
// the window.
inline constexpr std::string_view kTabCloseHint = "[X] Schließen";

// The status bar's word on the active watch window: whether it watches, or
// watched until every folder ended, and, once the kernel's queue overflowed
// (changes were lost there), how often. Empty without a watch window.
std::string WatchStatusText(bool hasWindow, WatchPhase phase, uint64_t overflows);

// What the active window's change log costs, appended to the watch status:
// " | Protokoll: 3.412.511 Zeilen, 214 MB" (rows and the megabytes of its
// spill file), and, once rows found no room, " | nicht gespeichert: 12 Zeilen".
std::string LogStatusText(size_t rows, size_t diskBytes, uint64_t droppedRows);

}  // namespace tavrek::app
