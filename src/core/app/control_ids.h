#pragma once
// Control identifiers of the watch window and its dialogs. Stored control
// states are named by these numbers (in lower-case hexadecimal).

namespace tavrek::app::control {

inline constexpr int kWatchDialogTemplate = 130;
inline constexpr int kFilterDialogTemplate = 222;

// Watch window.
inline constexpr int kChangeLog = 1000;
inline constexpr int kSystemLine = 1002;
inline constexpr int kFolderList = 1005;
inline constexpr int kFilterList = 1006;
inline constexpr int kUnusedLabel = 1007;
inline constexpr int kStartStop = 1014;
inline constexpr int kAccessList = 1016;
inline constexpr int kAccessLabel = 1019;   // "Letzte Zugriffe"
inline constexpr int kLogLabel = 1020;      // "Zugriffslog"
inline constexpr int kOptionsGroup = 1021;  // "Überwache Änderungen"
inline constexpr int kFilteredCount = 1023;
inline constexpr int kFolderMenuButton = 1046;

inline constexpr int kBoxCreation = 1101;
inline constexpr int kBoxAccess = 1102;
inline constexpr int kBoxWrite = 1103;
inline constexpr int kBoxSize = 1104;
inline constexpr int kBoxAttributes = 1105;
inline constexpr int kBoxRename = 1106;
inline constexpr int kBoxDelete = 1107;
inline constexpr int kBoxSecurity = 1108;
inline constexpr int kBoxSubtree = 1109;

inline constexpr int kAccessToolbar = 2110;
inline constexpr int kLogToolbar = 2111;
inline constexpr int kFilterToolbar = 2112;

inline constexpr int kNoId = 65535;  // controls without an id store nothing

// Filter dialog.
inline constexpr int kFilterDialogOk = 1;
inline constexpr int kFilterDialogText = 1002;
inline constexpr int kFilterDialogPrompt = 1006;
inline constexpr int kFilterDialogMode = 1008;

// The tree list's column header.
inline constexpr int kTreeListHeader = 11;

// Install dialog (resource 211) and uninstall dialog (resource 212).
inline constexpr int kInstallDialogResource = 211;
inline constexpr int kUninstallDialogResource = 212;
inline constexpr int kSetupOk = 1;
inline constexpr int kSetupCancel = 2;
inline constexpr int kInstallGroupName = 1001;
inline constexpr int kInstallTarget = 1002;
inline constexpr int kInstallFolderList = 1012;
inline constexpr int kInstallChange = 1014;
inline constexpr int kInstallDesktop = 1101;
inline constexpr int kInstallProgramBar = 1102;
inline constexpr int kInstallStartMenu = 1103;
inline constexpr int kInstallStartProgram = 1104;
inline constexpr int kInstallShowInformation = 1105;
inline constexpr int kInstallQuickLaunch = 1106;
inline constexpr int kInstallAllUsers = 1201;
inline constexpr int kInstallOnlyMe = 1202;
inline constexpr int kUninstallListPath = 1000;
inline constexpr int kUninstallQuestion = 1001;

}  // namespace tavrek::app::control
