#include "core/platform/visible_text.h"

#include "core/platform/utf8.h"

namespace tavrek::platform {
namespace {

constexpr std::string_view kHexDigits = "0123456789abcdef";
constexpr char32_t kDelete = 0x7F;
constexpr char32_t kLastC1Control = 0x9F;

bool IsControl(char32_t codePoint) {
  return codePoint < 0x20 || (codePoint >= kDelete && codePoint <= kLastC1Control);
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

std::string VisibleText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t position = 0;
  while (position < text.size()) {
    const Utf8Sequence sequence = DecodeUtf8At(text, position);
    const size_t length = sequence.length == 0 ? 1 : sequence.length;
    const std::string_view bytes = text.substr(position, length);
    if (sequence.length == 0 || IsControl(sequence.codePoint)) {
      AppendEscaped(out, bytes);
    } else if (sequence.codePoint == '\\') {
      out += "\\\\";
    } else {
      out += bytes;
    }
    position += length;
  }
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
