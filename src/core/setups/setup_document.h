#pragma once
// The watch-setup document: a small INI-layout text with the sections
// "[DIR]" (one folder per line), "[Filter]" (pattern=check=mode per row) and
// "[Optionen]" (the nine boxes, StartWatch, filter_typ), and when the window
// filters by process, "[Prozessfilter]" last (pattern=check=mode per process
// row): a reader that knows only the first three skips it whole, and a
// document without process rows stays as it always was. Written as UTF-8 with
// CR LF line ends and no byte-order mark; read as Windows-1252 when the bytes
// are not valid UTF-8, so documents made on Windows load.
//
// What a save writes, a load gives back as it was. A folder or pattern the
// format cannot carry is left out of the document and named in the save's
// notes instead: one with a line break or NUL byte, one that is not valid
// UTF-8 (it would turn the whole document into Windows-1252 and change every
// other name with umlauts), one a reader would take for a blank line, a
// section head or a comment, a pattern with "=", and whatever no longer fits
// into the 32,000 bytes a section read takes. A pattern longer than 1,023
// bytes is written cut to that length, and noted as cut.
//
// A folder watched in a way the user chose (not automatically) is named once
// more in a fourth section, "[Ueberwachungsart]", as "inotify=FOLDER",
// "fanotify=FOLDER" or "poll=FOLDER": a reader that knows only the first
// three sections skips it, and the folder lines stay as such readers parse them.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine/watch_setup.h"
#include "core/platform/profile_text.h"
#include "core/setups/document_notes.h"

namespace tavrek::setups {

inline constexpr std::string_view kSetupExtension = ".tvk";
inline constexpr std::string_view kSectionFolders = "DIR";
inline constexpr std::string_view kSectionFilters = "Filter";
inline constexpr std::string_view kSectionOptions = "Optionen";
inline constexpr std::string_view kSectionProcessFilters = "Prozessfilter";
inline constexpr std::string_view kSectionWatchChoices = "Ueberwachungsart";
inline constexpr std::string_view kKeyStartWatch = "StartWatch";
inline constexpr std::string_view kKeyLogFilterMode = "filter_typ";
// The longest pattern a filter line carries, in bytes.
inline constexpr size_t kFilterTextLimit = 1023;

struct SetupDocument {
  engine::WatchSetup setup;
  int32_t startWatch = 0;  // non-zero: the watch starts when the document is opened

  bool operator==(const SetupDocument&) const = default;
};

struct FormattedDocument {
  std::string bytes;
  std::vector<DocumentNote> leftOut;  // in document order: folders, then filter rows
};

// The document's bytes: folders in the folder set's key order, filter rows in
// list order, and the notes of what could not be written as it was.
FormattedDocument FormatSetupDocument(const SetupDocument& document);

// What a window takes from the document's bytes. A folder or filter line
// holding a NUL byte is refused, and lines past a section's 32,000 bytes are
// not read; both are added to `notLoaded` when it is given.
SetupDocument ParseSetupDocument(std::string_view bytes,
                                 std::vector<DocumentNote>* notLoaded = nullptr);

// The same from a document already read as profile text.
SetupDocument ParseSetupDocument(const platform::ProfileText& profile,
                                 std::vector<DocumentNote>* notLoaded = nullptr);

// Whether any section of a setup document is there: a text without one is
// something else (a wrong file, random bytes) and no setup, unless it holds
// nothing at all.
bool HoldsSetupSections(const platform::ProfileText& profile);

// The path with ".tvk" appended unless it already ends in that extension
// (in any letter case) after its last ".".
std::string CompleteSetupExtension(std::string_view path);

}  // namespace tavrek::setups
