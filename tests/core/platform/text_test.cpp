// Text as bytes: UTF-8 validity, Windows-1252 both ways, letter case, the
// visible escapes of hostile names and paths made absolute by their text.
#include <gtest/gtest.h>

#include "core/platform/absolute_path.h"
#include "core/platform/cp1252.h"
#include "core/platform/text_case.h"
#include "core/platform/utf8.h"
#include "core/platform/visible_text.h"

namespace tavrek::platform {
namespace {

struct CaseRow {
  std::string_view text;
  std::string_view upper;
  std::string_view lower;
};

TEST(TextTest, Cp1252BothWaysValidUtf8AndLetterCase) {
  EXPECT_EQ(Cp1252ToUtf8("Gr\xF6\xDF" "e \x80 \x84\x93\x94 \x9F"), "Größe € „“” Ÿ");
  EXPECT_EQ(Utf8ToCp1252("Größe € „“” Ÿ"), "Gr\xF6\xDF" "e \x80 \x84\x93\x94 \x9F");
  // Every byte survives the round trip, the undefined ones included.
  std::string allBytes;
  for (int byte = 0; byte < 256; ++byte) allBytes.push_back(static_cast<char>(byte));
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(allBytes)), allBytes);
  // Missing characters and invalid bytes become question marks.
  EXPECT_EQ(Utf8ToCp1252("Ω𝄞x"), "??x");
  EXPECT_EQ(Utf8ToCp1252("a\xFF" "b\xC3"), "a?b?");
  // Stored text is UTF-8 when valid, else Windows-1252.
  EXPECT_EQ(DecodeStoredText("Größe"), "Größe");
  EXPECT_EQ(DecodeStoredText("Gr\xF6\xDF" "e"), "Größe");
  // Only well-formed UTF-8 is valid.
  const std::pair<std::string_view, bool> rows[] = {
      {"", true},
      {"plain", true},
      {"Größe €𝄞", true},
      {"\xC3", false},              // cut sequence
      {"\xC3\x28", false},          // bad continuation
      {"\xC0\x80", false},          // overlong NUL
      {"\xE0\x80\xAF", false},      // overlong "/"
      {"\xED\xA0\x80", false},      // surrogate
      {"\xF4\x90\x80\x80", false},  // above U+10FFFF
      {"\xFF", false},
      {"caf\xE9", false},           // Windows-1252 "é"
  };
  for (const auto& [text, valid] : rows) EXPECT_EQ(IsValidUtf8(text), valid) << text;
  // Letter case follows the simple Unicode mapping and leaves invalid bytes.
  const CaseRow caseRows[] = {
      {"abc/XYZ 09_.txt", "ABC/XYZ 09_.TXT", "abc/xyz 09_.txt"},
      {"äöü ÄÖÜ", "ÄÖÜ ÄÖÜ", "äöü äöü"},
      {"straße", "STRAßE", "straße"},  // no simple upper case for ß
      {"ΣΊΣΥΦΟΣ σίσυφος", "ΣΊΣΥΦΟΣ ΣΊΣΥΦΟΣ", "σίσυφοσ σίσυφος"},
      {"ǅ", "Ǆ", "ǆ"},  // title-case letter
      {"ﬁ", "ﬁ", "ﬁ"},  // ligature: only a full mapping would expand it
      {"a\xFF" "b\xC3", "A\xFF" "B\xC3", "a\xFF" "b\xC3"},
      {"\xC0\xAF" "x", "\xC0\xAF" "X", "\xC0\xAF" "x"},      // overlong "/"
      {"\xED\xA0\x80" "é", "\xED\xA0\x80" "É", "\xED\xA0\x80" "é"},  // surrogate
      {"", "", ""},
  };
  for (const CaseRow& caseRow : caseRows) {
    EXPECT_EQ(UpperCase(caseRow.text), caseRow.upper) << caseRow.text;
    EXPECT_EQ(LowerCase(caseRow.text), caseRow.lower) << caseRow.text;
  }
  // Comparisons ignore case across byte lengths.
  EXPECT_TRUE(EqualsIgnoringCase("Übung", "üBUNG"));
  EXPECT_TRUE(EqualsIgnoringCase("ı", "I"));  // dotless i upper-cases to ASCII
  EXPECT_FALSE(EqualsIgnoringCase("a", "ä"));
}

TEST(VisibleTextTest, EscapesControlsBackslashAndInvalidBytesReversibly) {
  EXPECT_EQ(VisibleText("plain Größe €.txt"), "plain Größe €.txt");
  EXPECT_EQ(VisibleText("a\x1b[31mred"), "a\\x1b[31mred");
  EXPECT_EQ(VisibleText("tab\there\r\nnext\x7f"), "tab\\x09here\\x0d\\x0anext\\x7f");
  EXPECT_EQ(VisibleText("C:\\x1b"), "C:\\\\x1b");  // a literal "\x1b" stays apart from ESC
  EXPECT_EQ(VisibleText("\xff\xc3(\xe2\x82"), "\\xff\\xc3(\\xe2\\x82");
  EXPECT_EQ(VisibleText("csi\xc2\x9b"), "csi\\xc2\\x9b");  // C1 control, valid UTF-8
  // Invisible format characters that reorder or hide text are escaped too.
  EXPECT_EQ(VisibleText("invoice\u202efdp.exe"), "invoice\\xe2\\x80\\xaefdp.exe");
  EXPECT_EQ(VisibleText("zero\u200bwidth\ufeff"), "zero\\xe2\\x80\\x8bwidth\\xef\\xbb\\xbf");
  for (const char32_t format : {0x061C, 0x200F, 0x2029, 0x202A, 0x2064, 0x2066, 0x2069}) {
    std::string name;
    AppendUtf8(name, format);
    EXPECT_EQ(VisibleText(name).size(), 4 * name.size()) << VisibleText(name);  // "\x.." per byte
  }
  EXPECT_EQ(VisibleText("\u200a\u2070\u05d0"), "\u200a\u2070\u05d0");  // visible neighbours stay
  const std::string hostile[] = {"", "\\", "\\\\x41", "\x1b]0;title\x07", "\xed\xa0\x80",
                                 "\u2066\u2069", std::string("nul\0", 4), "\\x", "\\xg1", "end\\"};
  for (const std::string& name : hostile) {
    const std::string visible = VisibleText(name);
    EXPECT_TRUE(IsValidUtf8(visible)) << visible;
    EXPECT_EQ(visible.find_first_of(std::string("\t\r\n\x1b\0", 5)), std::string::npos);
    EXPECT_EQ(FromVisibleText(visible), name) << visible;
  }
  // Relative paths are made absolute and normalised by their text.
  EXPECT_EQ(AbsolutePath("wf,comma", "/home/u"), "/home/u/wf,comma");
  EXPECT_EQ(AbsolutePath("./a//b/../c/", "/home/u/"), "/home/u/a/c");
  EXPECT_EQ(AbsolutePath("../../../..", "/home/u"), "/");
  EXPECT_EQ(AbsolutePath("//tmp/./x/", "/ignored"), "/tmp/x");
  EXPECT_EQ(AbsolutePath("/", "/home"), "/");
  EXPECT_EQ(AbsolutePath("...", "/"), "/...");
  ASSERT_TRUE(CurrentFolder());
  EXPECT_EQ(CurrentFolder()->front(), '/');
}

}  // namespace
}  // namespace tavrek::platform
