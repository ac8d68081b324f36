#pragma once
// The lines of a private-profile (INI) file as the profile functions see
// them. Every line keeps its own text and line end, so a change rewrites only
// the lines it touches and the rest of the file stays byte for byte. The
// sections are indexed once when the text is read and again after a change
// adds or removes lines, so every operation is linear in the file.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrek::platform {

class ProfileText {
 public:
  enum class Kind { Blank, Comment, Section, Entry, Other };

  // False for bytes that are no 8-bit text, such as a UTF-16 file: their
  // lines cannot be told apart, so such a file is read as empty and never
  // rewritten.
  static bool IsProfileText(std::string_view bytes);

  // Reads file bytes: a leading UTF-8 byte-order mark is set aside, and bytes
  // that are not valid UTF-8 are read as Windows-1252.
  static ProfileText FromFileBytes(std::string_view bytes);

  // The file bytes again: the byte-order mark if there was one, then the lines.
  // A file read as Windows-1252 is written back in that encoding, so every
  // line not changed stays byte for byte; only when a new text does not fit
  // into Windows-1252 does the whole file become UTF-8 (mixing the two
  // encodings would leave it readable as neither).
  std::string ToFileBytes() const;

  // Value of the first entry of the key in any section of that name (letter
  // case ignored), trimmed of blanks.
  std::optional<std::string> FindValue(std::string_view section, std::string_view key) const;

  // Whether a section of that name is there (letter case ignored).
  bool HasSection(std::string_view section) const;

  // The trimmed entry lines of the first section of that name.
  std::vector<std::string> SectionEntries(std::string_view section) const;

  // Every line of the first section of that name that is neither blank nor a
  // comment, with or without "=", exactly as written (line end removed): the
  // lines of a section that holds a list rather than keys. The texts live as
  // long as this object and until its next change.
  std::vector<std::string_view> SectionLines(std::string_view section) const;

  // Replaces the value of the entry FindValue would read, or adds the entry
  // after the last entry of the first section of that name, or adds the
  // section at the end of the file.
  void SetValue(std::string_view section, std::string_view key, std::string_view value);

  // Removes every entry of the key in every section of that name, so that a
  // read no longer finds one; false when there was none.
  bool RemoveKey(std::string_view section, std::string_view key);

  // Removes every section of that name with all of its lines; false when there was none.
  bool RemoveSection(std::string_view section);

 private:
  enum class Ending : uint8_t { None, LineFeed, CrLf };
  // A line is a range of text_: the file's text, behind which the text of
  // every changed or added line is appended, so no line holds memory of its
  // own and reading a file costs one copy of its text.
  struct Line {
    size_t start = 0;
    size_t length = 0;      // without the line end
    size_t nameStart = 0;   // Section, Entry: the trimmed name, from the line's start
    size_t nameLength = 0;
    size_t valueStart = 0;  // Entry: where the text after "=" starts, from the line's start
    Ending ending = Ending::None;
    Kind kind = Kind::Blank;
  };
  // The lines of one section: its header and the lines up to the next header.
  struct Section {
    size_t header = 0;
    size_t end = 0;  // one past its last line
  };

  std::string_view TextOf(const Line& line) const;
  std::string_view NameOf(const Line& line) const;
  // Whether the line's name, upper-cased, is `upperName`.
  bool HasName(const Line& line, std::string_view upperName) const;
  Line MakeLine(size_t start, size_t length, Ending ending) const;
  // Appends the text behind text_ and gives the line made of it.
  Line NewLine(std::string_view text, Ending ending);
  // Finds the sections again after lines were added or removed: one pass.
  void IndexSections();
  const Section* FirstSection(std::string_view upperSection) const;
  std::optional<size_t> FindEntry(std::string_view upperSection, std::string_view upperKey) const;
  void InsertLine(size_t position, std::string_view text);

  bool byteOrderMark_ = false;
  bool windows1252_ = false;
  std::string text_;
  std::vector<Line> lines_;
  std::vector<Section> sections_;  // in file order
};

// Text without the blanks (spaces and tabs) at both ends.
std::string_view TrimBlanks(std::string_view text);

}  // namespace tavrek::platform
