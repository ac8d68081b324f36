#pragma once
// What a save could not put into a setup document, and what a load did not
// take from one: each folder or filter row named with the reason, so that
// nothing is lost without the user being told.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tavrek::setups {

enum class NoteItem { Folder, Filter, WatchChoice };

enum class NoteReason {
  NulByte,          // a NUL byte: no line can hold it, and the rest of the name would be lost
  LineBreak,        // a CR or LF would split the line
  NotUtf8,          // the document is UTF-8; these bytes would make all of it read as Windows-1252
  ReadAsOtherLine,  // blank, or begins with "[" or ";": read back as no line, a section head or a comment
  EqualsSign,       // "=" separates the fields of a filter line
  SectionFull,      // past the 32,000 bytes one section read takes
  Cut,              // a pattern longer than 1,023 bytes, written cut to that length
};

struct DocumentNote {
  NoteItem item = NoteItem::Folder;
  std::string text;  // the folder or pattern as given (save), the line as read (load)
  NoteReason reason = NoteReason::NulByte;
  // A load names only the first line past a section's end; this counts them all.
  size_t lines = 1;

  bool operator==(const DocumentNote&) const = default;
};

enum class NoteLanguage { English, German };

// One line per note, `shown` at most, then a line telling how many more
// there are. Texts are shown escaped (platform::VisibleText) and shortened.
std::vector<std::string> DescribeNotes(const std::vector<DocumentNote>& notes,
                                       NoteLanguage language, size_t shown);

}  // namespace tavrek::setups
