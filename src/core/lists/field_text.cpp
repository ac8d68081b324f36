#include "core/lists/field_text.h"

#include "core/platform/cp1252.h"
#include "core/platform/utf8.h"
#include "core/platform/visible_text.h"

namespace tavrek::lists {
namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;
constexpr size_t kMaxSpreadsheetText = 255;
constexpr std::string_view kFormulaStarts = "=+-@";
constexpr char kTextMark = '\'';

bool LooksLikeFormula(std::string_view text) {
  return !text.empty() && kFormulaStarts.find(text.front()) != std::string_view::npos;
}

bool IsPlainHtml(char c) {
  return static_cast<unsigned char>(c) < 0x80 && c != '<' && c != '>' && c != '&' && c != '"';
}

void AppendReference(std::string& out, char32_t codePoint) {
  out += "&#";
  out += std::to_string(static_cast<uint32_t>(codePoint));
  out += ';';
}

// Appends the escaped form of the character at `position`; returns its length.
size_t AppendHtmlCharacter(std::string& out, std::string_view text, size_t position) {
  switch (text[position]) {
    case '<': out += "&lt;"; return 1;
    case '>': out += "&gt;"; return 1;
    case '&': out += "&amp;"; return 1;
    case '"': out += "&quot;"; return 1;
    default: break;
  }
  const platform::Utf8Sequence sequence = platform::DecodeUtf8At(text, position);
  if (sequence.length == 0) {
    AppendReference(out, kReplacementCharacter);
    return 1;
  }
  AppendReference(out, sequence.codePoint);
  return sequence.length;
}

}  // namespace

void AppendShownText(std::string& out, std::string_view text) {
  platform::AppendVisibleText(out, text);
}

void AppendFormulaGuard(BufferedSink& out, std::string_view text) {
  if (LooksLikeFormula(text)) out.Append(kTextMark);
}

void AppendCsvQuoted(BufferedSink& out, std::string_view text) {
  out.Append('"');
  AppendFormulaGuard(out, text);
  for (size_t quote; (quote = text.find('"')) != std::string_view::npos;) {
    out.Append(text.substr(0, quote + 1));
    out.Append('"');
    text.remove_prefix(quote + 1);
  }
  out.Append(text);
  out.Append('"');
}

void AppendHtmlEscaped(std::string& out, std::string_view text) {
  size_t position = 0;
  while (position < text.size()) {
    size_t plain = position;
    while (plain < text.size() && IsPlainHtml(text[plain])) ++plain;
    out.append(text.substr(position, plain - position));
    if (plain == text.size()) break;
    position = plain + AppendHtmlCharacter(out, text, plain);
  }
}

std::string SpreadsheetText(std::string_view text) {
  // One byte per character in Windows-1252, so any cut is on a boundary.
  std::string bytes = platform::Utf8ToCp1252(text);
  if (bytes.size() > kMaxSpreadsheetText) bytes.resize(kMaxSpreadsheetText);
  return bytes;
}

}  // namespace tavrek::lists
