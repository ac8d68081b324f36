#pragma once
// The main frame's menu bar and accelerators as data, so that a test can
// check every entry and the frame builds them in one loop.
#include <span>
#include <string_view>

namespace tavrek::app {

enum MenuItemFlag : unsigned {
  kMenuPlain = 0,
  kMenuCheckable = 1u << 0,
  kMenuDisabled = 1u << 1,
  kMenuSubmenuBegin = 1u << 2,  // the text is the submenu's title; command 0
  kMenuSubmenuEnd = 1u << 3,
};

struct MenuItem {
  int command = 0;  // 0 with no text: a separator
  std::string_view text;
  unsigned flags = kMenuPlain;
};

enum class MenuPopupKind {
  Plain,
  Favourites,   // refilled from the favourites folder each time it opens
  FolderMenu,   // "Tav&rek": first entry kept, the folders filled in when it opens
  Windows,      // shown only while a window is open; lists the open windows below its items
};

struct MenuPopup {
  std::string_view title;
  MenuPopupKind kind = MenuPopupKind::Plain;
  std::span<const MenuItem> items;
};

std::span<const MenuPopup> FrameMenus();

// Keys in portable notation ("Ctrl+N"), for commands with or without an entry.
struct Accelerator {
  int command = 0;
  std::string_view keys;
};

std::span<const Accelerator> FrameAccelerators();

// The "Tav&rek" menu's first, disabled entry.
inline constexpr std::string_view kFolderMenuHeading = "===============";

}  // namespace tavrek::app
