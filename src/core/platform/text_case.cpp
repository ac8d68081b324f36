#include "core/platform/text_case.h"

#include <locale.h>
#include <wctype.h>

#include "core/platform/utf8.h"

namespace tavrek::platform {
namespace {

// glibc's case tables for the whole of Unicode; created once and never freed,
// since any thread may ask at any time until the process ends. When the
// locale is missing only ASCII letters change case.
locale_t UnicodeLocale() {
  static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
  return locale;
}

using CaseMapper = wint_t (*)(wint_t, locale_t);

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string MapCase(std::string_view text, CaseMapper mapper, char (*ascii)(char)) {
  const locale_t locale = UnicodeLocale();
  std::string out;
  out.reserve(text.size());
  size_t position = 0;
  while (position < text.size()) {
    const char c = text[position];
    if (static_cast<unsigned char>(c) < 0x80) {
      out.push_back(ascii(c));
      ++position;
      continue;
    }
    const Utf8Sequence sequence = DecodeUtf8At(text, position);
    if (sequence.length == 0 || locale == locale_t{}) {
      // Not UTF-8 (or no tables): the byte passes unchanged.
      const size_t length = sequence.length == 0 ? 1 : sequence.length;
      out.append(text.substr(position, length));
      position += length;
      continue;
    }
    const wint_t mapped = mapper(static_cast<wint_t>(sequence.codePoint), locale);
    AppendUtf8(out, static_cast<char32_t>(mapped));
    position += sequence.length;
  }
  return out;
}

}  // namespace

std::string UpperCase(std::string_view text) { return MapCase(text, towupper_l, AsciiUpper); }

std::string LowerCase(std::string_view text) { return MapCase(text, towlower_l, AsciiLower); }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  // Lengths may differ between equal texts ("ſ" and "s"), so compare the mapped forms.
  return UpperCase(a) == UpperCase(b);
}

}  // namespace tavrek::platform
