#include "core/lists/field_text.h"

#include "core/platform/cp1252.h"
#include "core/platform/utf8.h"

namespace tavrek::lists {
namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;
constexpr size_t kMaxSpreadsheetText = 255;
constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";  // U+FFFD
constexpr std::string_view kFormulaStarts = "=+-@\t\r";
constexpr char kTextMark = '\'';

bool LooksLikeFormula(std::string_view text) {
  return !text.empty() && kFormulaStarts.find(text.front()) != std::string_view::npos;
}

bool BreaksField(char c) { return c == '\t' || c == '\r' || c == '\n'; }

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

struct StringAppender {
  std::string& text;
  void Append(std::string_view bytes) { text.append(bytes); }
  void Append(char byte) { text.push_back(byte); }
};

// Copies runs of plain text at once; a field or line break becomes a blank,
// a byte that is not valid UTF-8 the replacement character.
template <typename Out>
void AppendClean(Out& out, std::string_view text) {
  size_t run = 0;
  size_t position = 0;
  while (position < text.size()) {
    const char c = text[position];
    const bool ascii = static_cast<unsigned char>(c) < 0x80;
    if (ascii && !BreaksField(c)) {
      ++position;
      continue;
    }
    out.Append(text.substr(run, position - run));
    if (ascii) {
      out.Append(' ');
      ++position;
    } else {
      const size_t length = platform::DecodeUtf8At(text, position).length;
      out.Append(length == 0 ? kReplacementUtf8 : text.substr(position, length));
      position += length == 0 ? 1 : length;
    }
    run = position;
  }
  out.Append(text.substr(run));
}

}  // namespace

void AppendFlattened(std::string& out, std::string_view text) {
  StringAppender appender{out};
  AppendClean(appender, text);
}

void AppendFlattened(BufferedSink& out, std::string_view text) { AppendClean(out, text); }

void AppendFormulaGuard(BufferedSink& out, std::string_view text) {
  if (LooksLikeFormula(text)) out.Append(kTextMark);
}

void AppendCsvQuoted(BufferedSink& out, std::string_view text) {
  out.Append('"');
  AppendFormulaGuard(out, text);
  for (size_t quote; (quote = text.find('"')) != std::string_view::npos;) {
    AppendFlattened(out, text.substr(0, quote + 1));
    out.Append('"');
    text.remove_prefix(quote + 1);
  }
  AppendFlattened(out, text);
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
