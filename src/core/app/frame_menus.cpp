#include "core/app/frame_menus.h"

#include <array>

#include "core/app/command_ids.h"

namespace tavrek::app {
namespace {

namespace cmd = command;

constexpr MenuItem kSeparator{};

constexpr std::array kFileMenu = {
    MenuItem{cmd::kNewWindow, "&Neu\tStrg+N"},
    MenuItem{cmd::kOpenDocument, "Ö&ffnen...\tStrg+O"},
    MenuItem{cmd::kSaveDocument, "S&peichern\tStrg+S"},
    kSeparator,
    MenuItem{0, "Tavrek", kMenuSubmenuBegin},
    MenuItem{cmd::kStartMaximised, "Immer maximiert starten", kMenuCheckable},
    MenuItem{cmd::kShowStartHelp, "Starthilfe anzeigen", kMenuCheckable},
    MenuItem{cmd::kShellMenu, "zum Shellmenü hinzufügen", kMenuCheckable},
    MenuItem{cmd::kToTray, "To Tray"},
    MenuItem{0, {}, kMenuSubmenuEnd},
    kSeparator,
    MenuItem{cmd::kExit, "&Beenden\tAlt+F4"},
};

constexpr std::array kViewMenu = {
    MenuItem{cmd::kToggleToolbar, "&Symbolleiste", kMenuCheckable},
    MenuItem{cmd::kToggleTabBar, "&Registerleiste", kMenuCheckable},
    MenuItem{cmd::kToggleStatusBar, "S&tatusleiste", kMenuCheckable},
    kSeparator,
    MenuItem{cmd::kFullScreen, "&Vollbild\tF11", kMenuCheckable},
};

constexpr std::array kFavouritesMenu = {
    MenuItem{cmd::kAddToFavourites, "Zu Favoriten hinzufügen"},
    MenuItem{cmd::kDesktopShortcut, "Als Desktopverknüpfung"},
    MenuItem{cmd::kManageFavourites, "&Verwalten"},
};

constexpr std::array kFolderMenu = {
    MenuItem{0, kFolderMenuHeading, kMenuDisabled},
};

constexpr std::array kWindowMenu = {
    MenuItem{cmd::kCascade, "Über&lappend"},
    MenuItem{cmd::kTileHorizontally, "&Untereinander"},
    MenuItem{cmd::kTileVertically, "&Nebeneinander"},
    MenuItem{cmd::kArrangeIcons, "&Symbole anordnen"},
};

constexpr std::array kHelpMenu = {
    MenuItem{cmd::kHelp, "&Hilfe"},
    MenuItem{cmd::kStartHelp, "&Starthilfe"},
    kSeparator,
    MenuItem{cmd::kAbout, "Ü&ber Tavrek..."},
};

constexpr std::array kMenus = {
    MenuPopup{"&Datei", MenuPopupKind::Plain, kFileMenu},
    MenuPopup{"&Ansicht", MenuPopupKind::Plain, kViewMenu},
    MenuPopup{"&Favoriten", MenuPopupKind::Favourites, kFavouritesMenu},
    MenuPopup{"Tav&rek", MenuPopupKind::FolderMenu, kFolderMenu},
    // "&Favoriten" has the F; the window menu takes its second letter.
    MenuPopup{"F&enster", MenuPopupKind::Windows, kWindowMenu},
    MenuPopup{"&?", MenuPopupKind::Plain, kHelpMenu},
};

constexpr std::array kAccelerators = {
    Accelerator{cmd::kNewWindow, "Ctrl+N"},     Accelerator{cmd::kOpenDocument, "Ctrl+O"},
    Accelerator{cmd::kSaveDocument, "Ctrl+S"},  Accelerator{cmd::kPrint, "Ctrl+P"},
    Accelerator{cmd::kFullScreen, "F11"},       Accelerator{cmd::kCloseWindow, "Alt+4"},
    Accelerator{cmd::kMagnifier, "Alt+L"},      Accelerator{cmd::kNextWindow, "F6"},
    Accelerator{cmd::kPreviousWindow, "Shift+F6"},
};

}  // namespace

std::span<const MenuPopup> FrameMenus() { return kMenus; }

std::span<const Accelerator> FrameAccelerators() { return kAccelerators; }

}  // namespace tavrek::app
