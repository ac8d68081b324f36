#include "core/platform/visible_text.h"

#include "core/platform/utf8.h"

namespace tavrek::platform {
namespace {

constexpr std::string_view kHexDigits = "0123456789abcdef";
constexpr char32_t kFirstPrintable = 0x20;
constexpr char32_t kDelete = 0x7F;
constexpr char32_t kLastC1Control = 0x9F;

bool IsControl(char32_t codePoint) {
  return codePoint < kFirstPrintable || (codePoint >= kDelete && codePoint <= kLastC1Control);
}

struct CodePointRange {
  char32_t first;
  char32_t last;
};

// Format characters that show nothing of their own but hide, join or reorder
// what stands around them: with them "invoice<U+202E>fdp.exe" reads as
// "invoiceexe.pdf" and "zero<U+200B>width" as "zerowidth". Line and
// paragraph separators break a line wherever text is laid out.
constexpr CodePointRange kDeceptiveRanges[] = {
    {0x00AD, 0x00AD},  // soft hyphen
    {0x061C, 0x061C},  // Arabic letter mark
    {0x180E, 0x180E},  // Mongolian vowel separator
    {0x200B, 0x200F},  // zero-width space, joiners, left-to-right and right-to-left marks
    {0x2028, 0x202E},  // line and paragraph separators, bidi embeddings and overrides
    {0x2060, 0x206F},  // word joiner, invisible operators, bidi isolates, deprecated formats
    {0xFEFF, 0xFEFF},  // zero-width no-break space (byte-order mark)
    {0xFFF9, 0xFFFB},  // interlinear annotation marks
};

bool IsDeceptive(char32_t codePoint) {
  for (const CodePointRange& range : kDeceptiveRanges) {
    if (codePoint >= range.first && codePoint <= range.last) return true;
  }
  return false;
}

// Printable ASCII but the backslash: copied as it is, in runs.
bool IsPlainByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= kFirstPrintable && byte < kDelete && c != '\\';
}

void AppendEscaped(std::string& out, std::string_view bytes) {
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    out += "\\x";
    out.push_back(kHexDigits[byte >> 4]);
    out.push_back(kHexDigits[byte & 0xF]);
  }
}

int HexValue(char c) {
  const size_t digit = kHexDigits.find(c);
  return digit == std::string_view::npos ? -1 : static_cast<int>(digit);
}

}  // namespace

bool EscapedWhenShown(char32_t codePoint) { return IsControl(codePoint) || IsDeceptive(codePoint); }

void AppendVisibleText(std::string& out, std::string_view text) {
  size_t position = 0;
  while (position < text.size()) {
    size_t plain = position;
    while (plain < text.size() && IsPlainByte(text[plain])) ++plain;
    out.append(text.substr(position, plain - position));
    if (plain == text.size()) break;
    const Utf8Sequence sequence = DecodeUtf8At(text, plain);
    const size_t length = sequence.length == 0 ? 1 : sequence.length;
    const std::string_view bytes = text.substr(plain, length);
    if (sequence.length == 0 || EscapedWhenShown(sequence.codePoint)) {
      AppendEscaped(out, bytes);
    } else if (sequence.codePoint == '\\') {
      out += "\\\\";
    } else {
      out += bytes;
    }
    position = plain + length;
  }
}

std::string VisibleText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendVisibleText(out, text);
  return out;
}

std::string FromVisibleText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\\') {
      out.push_back('\\');
      ++i;
    } else if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' &&
               HexValue(text[i + 2]) >= 0 && HexValue(text[i + 3]) >= 0) {
      out.push_back(static_cast<char>(HexValue(text[i + 2]) * 16 + HexValue(text[i + 3])));
      i += 3;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

}  // namespace tavrek::platform
