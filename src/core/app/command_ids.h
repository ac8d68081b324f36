#pragma once
// Command identifiers: menu entries, toolbar buttons and buttons whose click
// is a command. Documents, menus and forwarded commands use these numbers.
#include <cstdint>

namespace tavrek::app::command {

// Watch window buttons.
inline constexpr int kFolderMenu = 1046;  // "Überwache ...."
inline constexpr int kStartStop = 1014;

// Folder handed over from the frame: the number of the folder-scan message.
// Replace the folders by it / add it to them.
inline constexpr int kDoScan = 0xC0DE;
inline constexpr int kAddFolder = 41001;
inline constexpr int kOpenSetup = 10000;

// Access toolbar.
inline constexpr int kAccessView = 11000;
inline constexpr int kAccessReset = 11001;
inline constexpr int kAccessExport = 11002;
inline constexpr int kAccessExploreSelect = 11003;
inline constexpr int kAccessExplore = 11004;

// Log toolbar.
inline constexpr int kLogReset = 12000;
inline constexpr int kLogExport = 12001;
inline constexpr int kLogExploreSelect = 12002;
inline constexpr int kLogExplore = 12003;

// Filter toolbar (created hidden).
inline constexpr int kLogFilterMenu = 13000;
inline constexpr int kLogFilterSpare = 13001;

inline constexpr int kDesktopShortcut = 32811;
inline constexpr int kAddToFavourites = 32919;
inline constexpr int kAddFilter = 32948;

// List behaviour.
inline constexpr int kFitColumnsWithHeader = 32000;
inline constexpr int kFitColumns = 32001;
inline constexpr int kListExport = 32789;
inline constexpr int kToggleGridLines = 32864;
inline constexpr int kCustomiseColumns = 32867;

}  // namespace tavrek::app::command

namespace tavrek::app::menu_choice {

// Values the popup menus return.
inline constexpr int kNone = 0;
inline constexpr int kFolderBrowse = 1;
inline constexpr int kFolderAllLocalDrives = 3;
inline constexpr int kFolderRemoveMarked = 4;
inline constexpr int kFolderRemoveAll = 5;
// The submenu "Überwachungsart": the first value is automatic, the next ones
// follow engine::kWatchChoices.
inline constexpr int kFolderWatchChoiceFirst = 11;

inline constexpr int kFilterAdd = 1;
inline constexpr int kFilterRemoveMarked = 2;
inline constexpr int kFilterRemoveAll = 3;

inline constexpr int kViewSimple = 1;
inline constexpr int kViewGroupedCounts = 2;
inline constexpr int kViewGroupedTimes = 3;

inline constexpr int kLogFilterDoNotLog = 1;
inline constexpr int kLogFilterLogOnly = 2;

}  // namespace tavrek::app::menu_choice

namespace tavrek::app::command {

// Main frame: menus, accelerators and toolbars. The frame handles these
// itself; every other command goes on to the active watch window.
inline constexpr int kNewWindow = 32746;         // "&Neu"
inline constexpr int kNewStartHelp = 57600;      // "&Neu" of the start-help window's menu
inline constexpr int kStartHelpAlias = 32949;
inline constexpr int kStartHelp = 32920;         // "&Starthilfe"
inline constexpr int kOpenDocument = 57601;      // Ctrl+O
inline constexpr int kCloseWindow = 57602;       // Alt+4
inline constexpr int kSaveDocument = 57603;      // Ctrl+S
inline constexpr int kPrint = 57607;             // Ctrl+P
inline constexpr int kExit = 57665;              // "&Beenden"
inline constexpr int kCloseAllWindows = 32774;
inline constexpr int kToggleMaximised = 42970;
inline constexpr int kHelp = 57670;              // "&Hilfe"
inline constexpr int kToggleToolbar = 59392;     // "&Symbolleiste"
inline constexpr int kToggleTabBar = 32772;      // "&Registerleiste"
inline constexpr int kToggleStatusBar = 59393;   // "S&tatusleiste"
inline constexpr int kStartMaximised = 32787;    // "Immer maximiert starten"
inline constexpr int kShowStartHelp = 32947;     // "Starthilfe anzeigen"
inline constexpr int kShellMenu = 32800;         // "zum Shellmenü hinzufügen"
inline constexpr int kFullScreen = 32859;        // "&Vollbild"
inline constexpr int kToTray = 32801;            // "To Tray"
inline constexpr int kNextWindow = 57680;        // F6
inline constexpr int kPreviousWindow = 57681;    // Shift+F6
inline constexpr int kManageFavourites = 32779;  // "&Verwalten"
inline constexpr int kArrangeIcons = 57649;      // "&Symbole anordnen"
inline constexpr int kCascade = 57650;           // "Über&lappend"
inline constexpr int kTileHorizontally = 57651;  // "&Untereinander"
inline constexpr int kTileVertically = 57652;    // "&Nebeneinander"
inline constexpr int kAbout = 57664;
inline constexpr int kMagnifier = 32802;         // Alt+L
inline constexpr int kCurrentPath = 32927;

inline constexpr int kFirstFavourite = 1000;
inline constexpr int kLastFavourite = 3000;
inline constexpr int kDriveMenu = 4000;          // "AP"
inline constexpr int kFirstDrive = 4001;
inline constexpr int kLastDriveCommand = 5000;

}  // namespace tavrek::app::command

namespace tavrek::app::list_menu {

// Entries the list menus add to the "List" popup; the ids are what the menu returns.
inline constexpr int kExplorePath = 1000;  // "Explore (" + path + ")"
inline constexpr int kFilterPath = 1001;   // "Filter (" + path + ")"
inline constexpr int kFilterProcess = 1002;  // "Filter (Prozess: " + name + ")", change log only
inline constexpr int kShowFiles = 442;
inline constexpr int kTransparentMarking = 443;
inline constexpr int kScanNode = 444;
inline constexpr int kExploreNode = 445;
inline constexpr int kExpandLevel0 = 446;  // to kExpandLevel3 = 449
inline constexpr int kExpandLevel3 = 449;
inline constexpr int kExpandAll = 450;

}  // namespace tavrek::app::list_menu
