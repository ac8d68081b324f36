#include "core/platform/cp1252.h"

#include <gtest/gtest.h>

namespace tavrek::platform {
namespace {

TEST(Utf8ValidityTest, AcceptsOnlyWellFormedUtf8) {
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
}

TEST(Cp1252Test, ConvertsBothWaysIncludingTheSpecialRange) {
  EXPECT_EQ(Cp1252ToUtf8("Gr\xF6\xDF" "e \x80 \x84\x93\x94 \x9F"), "Größe € „“” Ÿ");
  EXPECT_EQ(Utf8ToCp1252("Größe € „“” Ÿ"), "Gr\xF6\xDF" "e \x80 \x84\x93\x94 \x9F");
  // Every byte survives the round trip, the undefined ones included.
  std::string allBytes;
  for (int byte = 0; byte < 256; ++byte) allBytes.push_back(static_cast<char>(byte));
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(allBytes)), allBytes);
}

TEST(Cp1252Test, MissingCharactersAndInvalidBytesBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToCp1252("Ω𝄞x"), "??x");
  EXPECT_EQ(Utf8ToCp1252("a\xFF" "b\xC3"), "a?b?");
}

TEST(Cp1252Test, StoredTextIsUtf8WhenValidElseWindows1252) {
  EXPECT_EQ(DecodeStoredText("Größe"), "Größe");
  EXPECT_EQ(DecodeStoredText("Gr\xF6\xDF" "e"), "Größe");
}

}  // namespace
}  // namespace tavrek::platform
