#include "core/platform/utf8.h"

namespace tavrek::platform {
namespace {

constexpr unsigned char kContinuationMask = 0xC0;
constexpr unsigned char kContinuationTag = 0x80;
constexpr char32_t kSurrogateFirst = 0xD800;
constexpr char32_t kSurrogateLast = 0xDFFF;
constexpr char32_t kLastCodePoint = 0x10FFFF;

bool IsContinuation(unsigned char byte) { return (byte & kContinuationMask) == kContinuationTag; }

// Length and payload bits of a lead byte; length 0 for bytes that cannot lead.
struct Lead {
  size_t length;
  char32_t bits;
  char32_t smallest;  // the smallest code point this length may encode
};

Lead ReadLead(unsigned char byte) {
  if (byte < 0x80) return {1, byte, 0};
  if ((byte & 0xE0) == 0xC0) return {2, byte & 0x1Fu, 0x80};
  if ((byte & 0xF0) == 0xE0) return {3, byte & 0x0Fu, 0x800};
  if ((byte & 0xF8) == 0xF0) return {4, byte & 0x07u, 0x10000};
  return {0, 0, 0};
}

}  // namespace

Utf8Sequence DecodeUtf8At(std::string_view text, size_t position) {
  if (position >= text.size()) return {};
  const Lead lead = ReadLead(static_cast<unsigned char>(text[position]));
  if (lead.length == 0 || text.size() - position < lead.length) return {};
  char32_t codePoint = lead.bits;
  for (size_t i = 1; i < lead.length; ++i) {
    const auto byte = static_cast<unsigned char>(text[position + i]);
    if (!IsContinuation(byte)) return {};
    codePoint = (codePoint << 6) | (byte & 0x3Fu);
  }
  if (codePoint < lead.smallest || codePoint > kLastCodePoint) return {};
  if (codePoint >= kSurrogateFirst && codePoint <= kSurrogateLast) return {};
  return {codePoint, lead.length};
}

void AppendUtf8(std::string& out, char32_t codePoint) {
  auto put = [&out](char32_t byte) { out.push_back(static_cast<char>(byte)); };
  if (codePoint < 0x80) {
    put(codePoint);
  } else if (codePoint < 0x800) {
    put(0xC0 | (codePoint >> 6));
    put(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    put(0xE0 | (codePoint >> 12));
    put(0x80 | ((codePoint >> 6) & 0x3F));
    put(0x80 | (codePoint & 0x3F));
  } else {
    put(0xF0 | (codePoint >> 18));
    put(0x80 | ((codePoint >> 12) & 0x3F));
    put(0x80 | ((codePoint >> 6) & 0x3F));
    put(0x80 | (codePoint & 0x3F));
  }
}

}  // namespace tavrek::platform
