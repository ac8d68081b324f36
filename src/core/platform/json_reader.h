#pragma once
// A small JSON reader for the output of external tools: the whole document
// becomes a tree of values; members keep their order.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrek::platform {

class JsonValue {
 public:
  enum class Type { Null, Bool, Number, String, Array, Object };

  Type type() const { return type_; }
  bool boolean() const { return boolean_; }
  double number() const { return number_; }
  // The number when it was written as a whole number that fits.
  std::optional<int64_t> integer() const { return integer_; }
  const std::string& text() const { return text_; }  // of a String

  // Array items, or object member values in document order.
  size_t size() const { return values_.size(); }
  const JsonValue& at(size_t index) const { return values_[index]; }
  const std::string& keyAt(size_t index) const { return keys_[index]; }  // objects only

  // The first member of that name; nullptr when missing or not an object.
  const JsonValue* Find(std::string_view key) const;

  // The whole text as a decimal integer ("1000"), as tools print some numbers.
  static std::optional<int64_t> IntegerOfText(std::string_view text);

 private:
  friend class JsonParser;

  Type type_ = Type::Null;
  bool boolean_ = false;
  double number_ = 0;
  std::optional<int64_t> integer_;
  std::string text_;
  std::vector<std::string> keys_;
  std::vector<JsonValue> values_;
};

// The value the whole text holds (blanks around it allowed), or nothing when
// the text is not JSON or nests deeper than a few hundred levels. Invalid
// UTF-8 inside strings is kept as it is; a lone surrogate escape becomes U+FFFD.
std::optional<JsonValue> ParseJson(std::string_view text);

}  // namespace tavrek::platform
