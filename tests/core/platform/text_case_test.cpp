#include "core/platform/text_case.h"

#include <gtest/gtest.h>

namespace tavrek::platform {
namespace {

struct CaseRow {
  std::string_view text;
  std::string_view upper;
  std::string_view lower;
};

TEST(TextCaseTest, MapsUnicodeSimpleCaseAndLeavesInvalidBytes) {
  const CaseRow rows[] = {
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
  for (const CaseRow& row : rows) {
    EXPECT_EQ(UpperCase(row.text), row.upper) << row.text;
    EXPECT_EQ(LowerCase(row.text), row.lower) << row.text;
  }
}

TEST(TextCaseTest, ComparesIgnoringCaseAcrossByteLengths) {
  EXPECT_TRUE(EqualsIgnoringCase("Übung", "üBUNG"));
  EXPECT_TRUE(EqualsIgnoringCase("ı", "I"));  // dotless i upper-cases to ASCII
  EXPECT_FALSE(EqualsIgnoringCase("a", "ä"));
}

}  // namespace
}  // namespace tavrek::platform
