#include "core/platform/utf16.h"

#include "core/platform/utf8.h"

namespace tavrek::platform {
namespace {

constexpr char32_t kByteOrderMark = 0xFEFF;

char32_t UnitAt(std::string_view bytes, size_t index, Utf16Order order) {
  const auto first = static_cast<unsigned char>(bytes[2 * index]);
  const auto second = static_cast<unsigned char>(bytes[2 * index + 1]);
  return order == Utf16Order::LittleEndian ? char32_t(first | second << 8) : char32_t(first << 8 | second);
}

// Every unit of the first line (up to its line feed) is a non-NUL byte
// beside a NUL one.
bool FirstLineIsUtf16(std::string_view bytes, Utf16Order order) {
  const size_t units = bytes.size() / 2;
  for (size_t index = 0; index < units; ++index) {
    const char32_t unit = UnitAt(bytes, index, order);
    if (unit == 0 || unit > 0xFF) return false;
    if (unit == '\n') return true;
  }
  return units > 0;
}

}  // namespace

Utf16Order DetectUtf16(std::string_view bytes) {
  if (bytes.starts_with("\xFF\xFE")) return Utf16Order::LittleEndian;
  if (bytes.starts_with("\xFE\xFF")) return Utf16Order::BigEndian;
  if (FirstLineIsUtf16(bytes, Utf16Order::LittleEndian)) return Utf16Order::LittleEndian;
  if (FirstLineIsUtf16(bytes, Utf16Order::BigEndian)) return Utf16Order::BigEndian;
  return Utf16Order::None;
}

std::optional<std::string> Utf16ToUtf8(std::string_view bytes, Utf16Order order) {
  if (order == Utf16Order::None || bytes.size() % 2 != 0) return std::nullopt;
  const size_t units = bytes.size() / 2;
  std::string text;
  text.reserve(bytes.size());
  for (size_t index = 0; index < units; ++index) {
    char32_t unit = UnitAt(bytes, index, order);
    if (index == 0 && unit == kByteOrderMark) continue;
    if (IsLowSurrogate(unit)) return std::nullopt;
    if (IsHighSurrogate(unit)) {
      const char32_t low = index + 1 < units ? UnitAt(bytes, ++index, order) : 0;
      if (!IsLowSurrogate(low)) return std::nullopt;
      unit = CombineSurrogates(unit, low);
    }
    AppendUtf8(text, unit);
  }
  return text;
}

}  // namespace tavrek::platform
