#pragma once
// What the save dialog of an export shows and how it turns the chosen name
// into the file name: texts, filters, the stored format and the extension
// completion.
#include <array>
#include <string>
#include <string_view>

#include "core/lists/export_types.h"

namespace tavrek::lists {

struct ExportFilter {
  std::string_view label;
  std::string_view pattern;
  std::string_view extension;
};

// In the order of ExportFormat, from Txt.
inline constexpr std::array<ExportFilter, 4> kExportFilters{{
    {"Textdatei Tabgetrennt(*.txt)", "*.txt", "txt"},
    {"CSV (*.csv)", "*.csv", "csv"},
    {"html (*.html)", "*.html", "html"},
    {"XLS (*.xls)", "*.xls", "xls"},
}};

inline constexpr std::string_view kExportDialogTitle = "Export zu TXT,CSV,HTML oder XLS ";
inline constexpr std::string_view kExportSection = "List";
inline constexpr std::string_view kExportIndexKey = "ExportIndex";
inline constexpr int kDefaultExportIndex = 1;
// The longest proposed name the dialog takes, in bytes.
inline constexpr size_t kMaxProposedName = 259;

// Messages when the file cannot be created: the flat-list text export puts
// the path right after its text; HTML, XLS and the tree list show the other.
inline constexpr std::string_view kTextOpenFailed = "Fehler beim Öffnen der Datei :";
inline constexpr std::string_view kOpenFailed = "Error file open !!";

// The format of a stored index; anything out of range is text.
ExportFormat FormatOfIndex(int index);
const ExportFilter& FilterOf(ExportFormat format);

// Appends the format's extension unless the name already ends in it: the
// extension is the text after the last ".", compared without regard to case
// (a name without "." or ending in it is compared whole). So "A.CSV" stays,
// "a" becomes "a.csv", "a.txt" becomes "a.txt.csv", "a.htm" "a.htm.html".
std::string CompleteExportName(std::string_view name, ExportFormat format);

// "Export_" and the name, cut to kMaxProposedName bytes.
std::string ProposedExportName(std::string_view name);
// The same for a tree list, whose name is cleaned first: "/" becomes "\",
// runs of "\" one, ":" becomes ";", and "!", "\", "<", ">" become "_".
std::string ProposedTreeExportName(std::string_view name);

}  // namespace tavrek::lists
