#include "core/platform/json_reader.h"

#include <charconv>

#include "core/platform/utf16.h"
#include "core/platform/utf8.h"

namespace tavrek::platform {

const JsonValue* JsonValue::Find(std::string_view key) const {
  if (type_ != Type::Object) return nullptr;
  for (size_t i = 0; i < keys_.size(); ++i) {
    if (keys_[i] == key) return &values_[i];
  }
  return nullptr;
}

std::optional<int64_t> JsonValue::IntegerOfText(std::string_view text) {
  int64_t number = 0;
  const char* last = text.data() + text.size();
  const auto result = std::from_chars(text.data(), last, number);
  if (text.empty() || result.ec != std::errc() || result.ptr != last) return std::nullopt;
  return number;
}

class JsonParser {
 public:
  explicit JsonParser(std::string_view text) : text_(text) {}

  std::optional<JsonValue> ParseDocument() {
    JsonValue value;
    if (!ParseValue(value, 0)) return std::nullopt;
    SkipBlanks();
    if (position_ != text_.size()) return std::nullopt;
    return value;
  }

 private:
  static constexpr int kMaxDepth = 256;
  static constexpr char32_t kReplacement = 0xFFFD;

  void SkipBlanks() {
    while (position_ < text_.size() && std::string_view(" \t\r\n").find(text_[position_]) !=
                                           std::string_view::npos) {
      ++position_;
    }
  }

  bool Take(char expected) {
    SkipBlanks();
    if (position_ >= text_.size() || text_[position_] != expected) return false;
    ++position_;
    return true;
  }

  bool TakeWord(std::string_view word) {
    if (text_.substr(position_, word.size()) != word) return false;
    position_ += word.size();
    return true;
  }

  bool ParseValue(JsonValue& value, int depth) {
    if (depth > kMaxDepth) return false;
    SkipBlanks();
    if (position_ >= text_.size()) return false;
    switch (text_[position_]) {
      case '{':
        return ParseObject(value, depth);
      case '[':
        return ParseArray(value, depth);
      case '"':
        value.type_ = JsonValue::Type::String;
        return ParseString(value.text_);
      case 't':
      case 'f':
        value.type_ = JsonValue::Type::Bool;
        value.boolean_ = text_[position_] == 't';
        return TakeWord(value.boolean_ ? "true" : "false");
      case 'n':
        return TakeWord("null");
      default:
        return ParseNumber(value);
    }
  }

  bool ParseObject(JsonValue& value, int depth) {
    value.type_ = JsonValue::Type::Object;
    ++position_;
    if (Take('}')) return true;
    do {
      std::string key;
      SkipBlanks();
      if (!ParseString(key) || !Take(':')) return false;
      value.keys_.push_back(std::move(key));
      value.values_.emplace_back();
      if (!ParseValue(value.values_.back(), depth + 1)) return false;
    } while (Take(','));
    return Take('}');
  }

  bool ParseArray(JsonValue& value, int depth) {
    value.type_ = JsonValue::Type::Array;
    ++position_;
    if (Take(']')) return true;
    do {
      value.values_.emplace_back();
      if (!ParseValue(value.values_.back(), depth + 1)) return false;
    } while (Take(','));
    return Take(']');
  }

  bool ParseHex4(char32_t& unit) {
    if (text_.size() - position_ < 4) return false;
    unsigned parsed = 0;
    const char* first = text_.data() + position_;
    const auto result = std::from_chars(first, first + 4, parsed, 16);
    if (result.ec != std::errc() || result.ptr != first + 4) return false;
    position_ += 4;
    unit = parsed;
    return true;
  }

  // After "\u": one UTF-16 unit, or a surrogate pair written as two escapes.
  bool ParseUnicodeEscape(std::string& out) {
    char32_t unit = 0;
    if (!ParseHex4(unit)) return false;
    if (IsHighSurrogate(unit) && TakeWord("\\u")) {
      char32_t low = 0;
      if (!ParseHex4(low)) return false;
      if (IsLowSurrogate(low)) {
        AppendUtf8(out, CombineSurrogates(unit, low));
        return true;
      }
      AppendUtf8(out, kReplacement);
      unit = low;
    }
    AppendUtf8(out, IsHighSurrogate(unit) || IsLowSurrogate(unit) ? kReplacement : unit);
    return true;
  }

  bool ParseEscape(std::string& out) {
    if (position_ >= text_.size()) return false;
    const char c = text_[position_++];
    constexpr std::string_view kFrom = "\"\\/bfnrt";
    constexpr std::string_view kTo = "\"\\/\b\f\n\r\t";
    if (c == 'u') return ParseUnicodeEscape(out);
    const size_t index = kFrom.find(c);
    if (index == std::string_view::npos) return false;
    out.push_back(kTo[index]);
    return true;
  }

  bool ParseString(std::string& out) {
    if (position_ >= text_.size() || text_[position_] != '"') return false;
    ++position_;
    while (position_ < text_.size()) {
      const char c = text_[position_++];
      if (c == '"') return true;
      if (c != '\\') {
        out.push_back(c);
      } else if (!ParseEscape(out)) {
        return false;
      }
    }
    return false;
  }

  bool ParseNumber(JsonValue& value) {
    const size_t start = position_;
    while (position_ < text_.size() &&
           std::string_view("+-.0123456789eE").find(text_[position_]) != std::string_view::npos) {
      ++position_;
    }
    const char* first = text_.data() + start;
    const char* last = text_.data() + position_;
    if (first == last) return false;
    const auto result = std::from_chars(first, last, value.number_);
    if (result.ec != std::errc() || result.ptr != last) return false;
    value.type_ = JsonValue::Type::Number;
    value.integer_ = JsonValue::IntegerOfText(text_.substr(start, position_ - start));
    return true;
  }

  std::string_view text_;
  size_t position_ = 0;
};

std::optional<JsonValue> ParseJson(std::string_view text) {
  return JsonParser(text).ParseDocument();
}

}  // namespace tavrek::platform
