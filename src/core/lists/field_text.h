#pragma once
// How one cell text goes into each file type. File names are untrusted input
// (Linux allows tabs, line breaks, quotes and any byte in them), so every
// format keeps its structure whatever a text holds.
#include <string>
#include <string_view>

#include "core/lists/sink.h"

namespace tavrek::lists {

// TAB, CR and LF would start a new field or line: each becomes a blank. A
// byte that is not valid UTF-8 becomes U+FFFD, so the file is UTF-8 throughout.
void AppendFlattened(std::string& out, std::string_view text);
void AppendFlattened(BufferedSink& out, std::string_view text);

// A spreadsheet that opens a CSV or text file takes a cell beginning with
// "=", "+", "-", "@", TAB or CR for a formula, which a file name must never
// become: such a cell gets a leading "'", which keeps it text. No exported
// column holds a negative number (counts, times, ids and process ids never
// are), so no number turns into text by it.
void AppendFormulaGuard(BufferedSink& out, std::string_view text);

// The text between double quotes, a double quote inside doubled, guarded
// against being a formula.
void AppendCsvQuoted(BufferedSink& out, std::string_view text);

// "<", ">", "&" and '"' as entities; every character beyond ASCII as a
// numeric character reference, and a byte that is not valid UTF-8 as the
// replacement character's, so the page reads right in any encoding.
void AppendHtmlEscaped(std::string& out, std::string_view text);

// A text for a spreadsheet cell: Windows-1252 ("?" for what it lacks), at
// most 255 bytes.
std::string SpreadsheetText(std::string_view text);

}  // namespace tavrek::lists
