#pragma once
// Command identifiers: menu entries, toolbar buttons and buttons whose click
// is a command. Documents, menus and forwarded commands use these numbers.
#include <cstdint>

namespace tavrek::app::command {

// Watch window buttons.
inline constexpr int kFolderMenu = 1046;  // "Überwache ...."
inline constexpr int kStartStop = 1014;
inline constexpr int kFirstOptionBox = 1101;
inline constexpr int kLastOptionBox = 1109;

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

inline constexpr int kFilterAdd = 1;
inline constexpr int kFilterRemoveMarked = 2;
inline constexpr int kFilterRemoveAll = 3;

inline constexpr int kViewSimple = 1;
inline constexpr int kViewGroupedCounts = 2;
inline constexpr int kViewGroupedTimes = 3;

inline constexpr int kLogFilterDoNotLog = 1;
inline constexpr int kLogFilterLogOnly = 2;

}  // namespace tavrek::app::menu_choice

namespace tavrek::app::list_menu {

// Entries the list menus add to the "List" popup; the ids are what the menu returns.
inline constexpr int kExplorePath = 1000;  // "Explore (" + path + ")"
inline constexpr int kFilterPath = 1001;   // "Filter (" + path + ")"
inline constexpr int kShowFiles = 442;
inline constexpr int kTransparentMarking = 443;
inline constexpr int kScanNode = 444;
inline constexpr int kExploreNode = 445;
inline constexpr int kExpandLevel0 = 446;  // to kExpandLevel3 = 449
inline constexpr int kExpandLevel3 = 449;
inline constexpr int kExpandAll = 450;

}  // namespace tavrek::app::list_menu
