#pragma once
// How one cell text goes into each file type. File names are untrusted input
// (Linux allows tabs, line breaks, quotes and any byte in them), so every
// format keeps its structure whatever a text holds.
#include <string>
#include <string_view>

#include "core/lists/sink.h"

namespace tavrek::lists {

// A cell text as the window shows it: control characters, invisible format
// characters and bytes that are not UTF-8 as "\xHH", a backslash as "\\".
// The escapes undo to the name's exact bytes, and what they leave is valid
// UTF-8 without TAB, CR or LF, so no text can break a field or a line, and
// two different names never export alike. The exports take every cell
// through this first.
void AppendShownText(std::string& out, std::string_view text);

// A spreadsheet that opens a CSV or text file takes a cell beginning with
// "=", "+", "-" or "@" for a formula, which a file name must never become:
// such a cell gets a leading "'", which keeps it text (a shown text never
// begins with TAB or CR, which would do the same). No exported
// column holds a negative number (counts, times, ids and process ids never
// are), so no number turns into text by it.
void AppendFormulaGuard(BufferedSink& out, std::string_view text);

// The text between double quotes, a double quote inside doubled, guarded
// against being a formula. The texts of these writers are shown texts.
void AppendCsvQuoted(BufferedSink& out, std::string_view text);

// "<", ">", "&" and '"' as entities; every character beyond ASCII as a
// numeric character reference, so the page reads right in any encoding (a
// byte that is not valid UTF-8, which a shown text never holds, as the
// replacement character's).
void AppendHtmlEscaped(std::string& out, std::string_view text);

// A text for a spreadsheet cell: Windows-1252 ("?" for what it lacks), at
// most 255 bytes.
std::string SpreadsheetText(std::string_view text);

}  // namespace tavrek::lists
