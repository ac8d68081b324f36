#pragma once
// The lines of a private-profile (INI) file as the profile functions see
// them. Every line keeps its own text and line end, so a change rewrites only
// the lines it touches and the rest of the file stays byte for byte. The
// sections are indexed once when the text is read and again after a change
// adds or removes lines, so every operation is linear in the file.
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

  // The trimmed entry lines of the first section of that name.
  std::vector<std::string> SectionEntries(std::string_view section) const;

  // Every line of the first section of that name that is neither blank nor a
  // comment, with or without "=", exactly as written (line end removed): the
  // lines of a section that holds a list rather than keys.
  std::vector<std::string> SectionLines(std::string_view section) const;

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
  struct Line {
    std::string text;            // without the line end
    std::string_view ending;     // "\r\n", "\n", or "" for a last line without one
    Kind kind = Kind::Blank;
    std::string upperName;       // section name or key, trimmed and upper-cased
    size_t valueStart = 0;       // Entry: where the text after "=" starts
  };
  // The lines of one section: its header and the lines up to the next header.
  struct Section {
    size_t header = 0;
    size_t end = 0;  // one past its last line
  };

  static Line MakeLine(std::string text, std::string_view ending);
  // Finds the sections again after lines were added or removed: one pass.
  void IndexSections();
  const Section* FirstSection(const std::string& upperSection) const;
  std::optional<size_t> FindEntry(const std::string& upperSection,
                                  const std::string& upperKey) const;
  void InsertLine(size_t position, std::string text);

  bool byteOrderMark_ = false;
  bool windows1252_ = false;
  std::vector<Line> lines_;
  std::vector<Section> sections_;  // in file order
};

// Text without the blanks (spaces and tabs) at both ends.
std::string_view TrimBlanks(std::string_view text);

}  // namespace tavrek::platform
