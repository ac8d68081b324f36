#include "core/platform/json_reader.h"

#include <gtest/gtest.h>

namespace tavrek::platform {
namespace {

TEST(JsonReaderTest, ReadsNestedValuesInDocumentOrder) {
  const auto value = ParseJson(
      R"( { "b": [1, -2.5e1, true, false, null], "a": {"x": "\u00e4\ud834\udd1e\n\"\\\/"},
           "b": "second", "big": 12345678901234 } )");
  ASSERT_TRUE(value);
  ASSERT_EQ(value->type(), JsonValue::Type::Object);
  ASSERT_EQ(value->size(), 4u);
  EXPECT_EQ(value->keyAt(1), "a");
  const JsonValue* list = value->Find("b");  // the first member of a repeated name
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->size(), 5u);
  EXPECT_EQ(list->at(0).integer(), 1);
  EXPECT_EQ(list->at(1).number(), -25.0);
  EXPECT_EQ(list->at(1).integer(), std::nullopt);
  EXPECT_TRUE(list->at(2).boolean());
  EXPECT_EQ(list->at(4).type(), JsonValue::Type::Null);
  EXPECT_EQ(value->Find("a")->Find("x")->text(), "ä𝄞\n\"\\/");
  EXPECT_EQ(value->Find("big")->integer(), 12345678901234);
  EXPECT_EQ(value->Find("missing"), nullptr);
  EXPECT_EQ(list->Find("anything"), nullptr);
}

TEST(JsonReaderTest, RejectsWhatIsNotJson) {
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  const std::string_view rows[] = {
      "", "{", "{\"a\" 1}", "{\"a\":1,}", "[1 2]", "\"open", "tru", "01x", "{} extra",
      "{\"a\":\"\\q\"}", "{\"a\":\"\\u12\"}", "nul", deep,
  };
  for (std::string_view text : rows) EXPECT_FALSE(ParseJson(text)) << text.substr(0, 20);
}

TEST(JsonReaderTest, LoneSurrogatesBecomeReplacementCharacters) {
  EXPECT_EQ(ParseJson(R"("\ud800x\udc00")")->text(), "\xEF\xBF\xBDx\xEF\xBF\xBD");
}

}  // namespace
}  // namespace tavrek::platform
