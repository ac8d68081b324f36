#pragma once
// The watch-setup document: a small INI-layout text with the sections
// "[DIR]" (one folder per line), "[Filter]" (pattern=check=mode per row) and
// "[Optionen]" (the nine boxes, StartWatch, filter_typ). Written as UTF-8 with
// CR LF line ends and no byte-order mark; read as Windows-1252 when the bytes
// are not valid UTF-8, so documents made on Windows load.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/engine/watch_options.h"
#include "core/engine/watch_setup.h"

namespace tavrek::setups {

inline constexpr std::string_view kSetupExtension = ".tvk";
inline constexpr std::string_view kSectionFolders = "DIR";
inline constexpr std::string_view kSectionFilters = "Filter";
inline constexpr std::string_view kSectionOptions = "Optionen";
inline constexpr std::string_view kKeyStartWatch = "StartWatch";
inline constexpr std::string_view kKeyLogFilterMode = "filter_typ";
// The longest pattern a filter line carries, in bytes.
inline constexpr size_t kFilterTextLimit = 1023;

// One option key: its spelling in the document, the box it stands for (a
// missing key reads as the box id, which checks the box) and its switch.
struct OptionKey {
  std::string_view key;
  int boxId;
  int32_t engine::WatchOptions::*flag;
};
extern const std::array<OptionKey, 9> kOptionKeys;

struct SetupDocument {
  engine::WatchSetup setup;
  int32_t startWatch = 0;  // non-zero: the watch starts when the document is opened

  bool operator==(const SetupDocument&) const = default;
};

// The document's bytes. Folders are written in the folder set's key order,
// filter rows in list order (patterns cut to kFilterTextLimit bytes); a line
// break inside a folder or pattern becomes a blank, since each is one line.
std::string FormatSetupDocument(const SetupDocument& document);

// What a window takes from the document's bytes.
SetupDocument ParseSetupDocument(std::string_view bytes);

// The path with ".tvk" appended unless it already ends in that extension
// (in any letter case) after its last ".".
std::string CompleteSetupExtension(std::string_view path);

}  // namespace tavrek::setups
