#include "core/setups/document_notes.h"

#include "core/platform/utf8.h"
#include "core/platform/visible_text.h"

namespace tavrek::setups {
namespace {

// Longer texts are shown to this many bytes and "...".
constexpr size_t kShownTextBytes = 120;

std::string_view ReasonText(NoteReason reason, NoteLanguage language) {
  const bool german = language == NoteLanguage::German;
  switch (reason) {
    case NoteReason::NulByte: return german ? "NUL-Byte im Text" : "NUL byte in the text";
    case NoteReason::LineBreak: return german ? "Zeilenumbruch im Text" : "line break in the text";
    case NoteReason::NotUtf8: return german ? "kein gültiges UTF-8" : "not valid UTF-8";
    case NoteReason::ReadAsOtherLine:
      return german ? "würde als Leerzeile, Abschnittskopf oder Kommentar gelesen"
                    : "would read as a blank line, a section head or a comment";
    case NoteReason::EqualsSign: return german ? "\"=\" im Muster" : "\"=\" in the pattern";
    case NoteReason::SectionFull:
      return german ? "Abschnitt voll (32.000 Bytes)" : "section full (32,000 bytes)";
    case NoteReason::Cut:
      return german ? "auf 1.023 Bytes gekürzt" : "cut to 1,023 bytes";
  }
  return {};
}

std::string_view ItemText(NoteItem item, NoteLanguage language) {
  const bool german = language == NoteLanguage::German;
  if (item == NoteItem::Folder) return german ? "Ordner" : "folder";
  if (item == NoteItem::WatchChoice) return german ? "Überwachungsart" : "watch choice";
  return german ? "Filter" : "filter";
}

// The text escaped, cut at a character boundary when it is long.
std::string ShownText(std::string_view text) {
  std::string shown = platform::VisibleText(text);
  if (shown.size() <= kShownTextBytes) return shown;
  size_t end = kShownTextBytes;
  while (end > 0 && platform::DecodeUtf8At(shown, end).length == 0) --end;
  return shown.substr(0, end) + "...";
}

}  // namespace

std::vector<std::string> DescribeNotes(const std::vector<DocumentNote>& notes,
                                       NoteLanguage language, size_t shown) {
  std::vector<std::string> lines;
  for (size_t i = 0; i < notes.size() && i < shown; ++i) {
    const DocumentNote& note = notes[i];
    std::string line = std::string(ItemText(note.item, language)) + " \"" +
                       ShownText(note.text) + "\": " + std::string(ReasonText(note.reason, language));
    if (note.lines > 1) {
      line += ", " + std::to_string(note.lines) +
              (language == NoteLanguage::German ? " Zeilen nicht gelesen" : " lines not read");
    }
    lines.push_back(std::move(line));
  }
  if (notes.size() > shown) {
    const std::string more = std::to_string(notes.size() - shown);
    lines.push_back(language == NoteLanguage::German ? "... und " + more + " weitere"
                                                     : "... and " + more + " more");
  }
  return lines;
}

}  // namespace tavrek::setups
