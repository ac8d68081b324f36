#pragma once
// Watch-setup documents (*.tvk) as a file type of the user's desktop: a
// shared-mime-info package for the type and the program's desktop entry,
// which lists the type and opens such a file with the program.
#include <string>
#include <string_view>

#include "core/app/desktop_entry.h"
#include "core/app/desktop_folders.h"

namespace tavrek::app {

inline constexpr std::string_view kDocumentMimeType = "application/x-tavrek";
inline constexpr std::string_view kDesktopId = "com.quorvane.Tavrek.desktop";
inline constexpr std::string_view kIconName = "tavrek";
inline constexpr std::string_view kMimePackageName = "x-tavrek.xml";

// The shared-mime-info package: the type, its description and icon, *.tvk.
std::string DocumentMimePackage();
// The program's desktop entry, opening a document given as its one argument.
std::string ProgramDesktopEntry(const std::string& programPath);

// Where RegisterDocumentType writes.
std::string MimePackagePath(const DesktopFolders& folders);
std::string ProgramEntryPath(const DesktopFolders& folders);
std::string UserIconPath(const DesktopFolders& folders);

// Writes the MIME package, the desktop entry and the program icon below
// XDG_DATA_HOME, rewriting only what differs (so a normal start writes
// nothing, and a program moved elsewhere updates its entry), then refreshes
// the user's MIME and desktop databases when something was written and
// `refreshDatabases` is set. Failed when a file could not be written;
// Refused, with nothing written, for a program path the entry cannot carry
// (IsWritableInEntries).
WriteOutcome RegisterDocumentType(const DesktopFolders& folders, const std::string& programPath,
                                  bool refreshDatabases = true);

// Runs update-mime-database and update-desktop-database on the user's
// folders, each only when it is installed.
void RefreshDesktopDatabases(const DesktopFolders& folders);

}  // namespace tavrek::app
