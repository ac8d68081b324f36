#include "core/platform/cp1252.h"

#include <array>
#include <cstdint>

#include "core/platform/utf8.h"

namespace tavrek::platform {
namespace {

constexpr unsigned char kFirstSpecial = 0x80;
constexpr unsigned char kFirstLatin1 = 0xA0;
constexpr char kReplacement = '?';

// Characters of the bytes 0x80..0x9F; the rest of the code page equals Latin-1.
constexpr std::array<char16_t, kFirstLatin1 - kFirstSpecial> kSpecials = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

char32_t CharacterOfByte(unsigned char byte) {
  if (byte >= kFirstSpecial && byte < kFirstLatin1) return kSpecials[byte - kFirstSpecial];
  return byte;
}

// The byte of a character, or kReplacement when the code page lacks it.
char ByteOfCharacter(char32_t character) {
  if (character < kFirstSpecial || (character >= kFirstLatin1 && character <= 0xFF)) {
    return static_cast<char>(character);
  }
  for (size_t i = 0; i < kSpecials.size(); ++i) {
    if (kSpecials[i] == character) return static_cast<char>(kFirstSpecial + i);
  }
  return kReplacement;
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
  size_t position = 0;
  while (position < text.size()) {
    if (static_cast<unsigned char>(text[position]) < 0x80) {
      ++position;
      continue;
    }
    const size_t length = DecodeUtf8At(text, position).length;
    if (length == 0) return false;
    position += length;
  }
  return true;
}

std::string Cp1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char byte : bytes) AppendUtf8(out, CharacterOfByte(static_cast<unsigned char>(byte)));
  return out;
}

std::string Utf8ToCp1252(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t position = 0;
  while (position < text.size()) {
    const Utf8Sequence sequence = DecodeUtf8At(text, position);
    if (sequence.length == 0) {
      out.push_back(kReplacement);
      ++position;
      continue;
    }
    out.push_back(ByteOfCharacter(sequence.codePoint));
    position += sequence.length;
  }
  return out;
}

std::string DecodeStoredText(std::string_view bytes) {
  if (IsValidUtf8(bytes)) return std::string(bytes);
  return Cp1252ToUtf8(bytes);
}

}  // namespace tavrek::platform
