#pragma once
// Builds a short text in a caller's buffer without the format parsing of
// snprintf, which shows in the profile of a burst (a few cells of every row
// printed are numbers). What does not fit is cut off as snprintf cuts it: the
// text keeps the first size - 1 bytes and is NUL-terminated.
#include <cstdint>
#include <span>
#include <string_view>

namespace tavrek::engine {

class BoundedText {
 public:
  explicit BoundedText(std::span<char> buffer) : buffer_(buffer) { Terminate(); }

  BoundedText& Append(std::string_view text) {
    for (char c : text) Put(c);
    Terminate();
    return *this;
  }
  // The value in decimal digits, with leading zeros up to `minDigits`.
  BoundedText& AppendDecimal(uint64_t value, int minDigits = 1) {
    constexpr int kMaxDigits = 20;
    constexpr uint64_t kBase = 10;
    char digits[kMaxDigits];
    int count = 0;
    do {
      digits[count++] = static_cast<char>('0' + value % kBase);
      value /= kBase;
    } while (value != 0);
    while (count < minDigits && count < kMaxDigits) digits[count++] = '0';
    while (count > 0) Put(digits[--count]);
    Terminate();
    return *this;
  }
  std::string_view view() const { return {buffer_.data(), length_}; }

 private:
  void Put(char c) {
    if (length_ + 1 < buffer_.size()) buffer_[length_++] = c;
  }
  void Terminate() {
    if (!buffer_.empty()) buffer_[length_] = '\0';
  }

  std::span<char> buffer_;
  size_t length_ = 0;
};

}  // namespace tavrek::engine
