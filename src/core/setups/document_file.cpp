#include "core/setups/document_file.h"

#include <sys/stat.h>

#include "core/platform/utf16.h"

namespace tavrek::setups {
namespace {

DocumentStatus StatusOf(platform::ReadStatus status) {
  switch (status) {
    case platform::ReadStatus::Ok: return DocumentStatus::Ok;
    case platform::ReadStatus::Missing: return DocumentStatus::Missing;
    case platform::ReadStatus::NotRegular: return DocumentStatus::NotAFile;
    case platform::ReadStatus::TooLarge: return DocumentStatus::TooLarge;
    case platform::ReadStatus::OpenFailed:
    case platform::ReadStatus::ReadFailed: return DocumentStatus::Unreadable;
  }
  return DocumentStatus::Unreadable;
}

// Nothing but blanks and line ends, after a byte-order mark if there is one.
bool IsBlankText(std::string_view text) {
  constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
  if (text.starts_with(kUtf8ByteOrderMark)) text.remove_prefix(kUtf8ByteOrderMark.size());
  return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

DocumentRead DocumentFromText(std::string_view text) {
  DocumentRead result;
  const platform::ProfileText profile = platform::ProfileText::FromFileBytes(text);
  if (!HoldsSetupSections(profile) && !IsBlankText(text)) {
    result.status = DocumentStatus::NotASetup;
    return result;
  }
  result.status = DocumentStatus::Ok;
  result.document = ParseSetupDocument(profile, &result.notLoaded);
  return result;
}

}  // namespace

DocumentRead ReadSetupDocument(const std::string& path) {
  const platform::FileContent content = platform::ReadTextFile(path, kMaxDocumentBytes);
  if (content.status != platform::ReadStatus::Ok) return {StatusOf(content.status), {}, {}};
  return SetupDocumentFromBytes(content.bytes);
}

// Read as 8-bit text, UTF-16 would give a NUL byte in every other place.
DocumentRead SetupDocumentFromBytes(std::string_view bytes) {
  const platform::Utf16Order order = platform::DetectUtf16(bytes);
  if (order == platform::Utf16Order::None) return DocumentFromText(bytes);
  const std::optional<std::string> text = platform::Utf16ToUtf8(bytes, order);
  if (!text) return {DocumentStatus::BrokenUtf16, {}, {}};
  return DocumentFromText(*text);
}

std::string_view DescribeStatus(DocumentStatus status) {
  switch (status) {
    case DocumentStatus::Ok: return "read";
    case DocumentStatus::Missing: return "no such file";
    case DocumentStatus::NotAFile: return "not a regular file";
    case DocumentStatus::TooLarge: return "file too large for a setup document";
    case DocumentStatus::Unreadable: return "cannot be read";
    case DocumentStatus::BrokenUtf16: return "broken UTF-16 text";
    case DocumentStatus::NotASetup:
      return "not a setup document: none of the sections [DIR], [Filter], [Optionen]";
  }
  return "cannot be read";
}

std::string GermanStatusReason(DocumentStatus status) {
  constexpr size_t kMebibyte = size_t{1} << 20;
  switch (status) {
    case DocumentStatus::TooLarge:
      return "Die Datei ist zu groß für ein Überwachungssetup (mehr als " +
             std::to_string(kMaxDocumentBytes / kMebibyte) + " MiB).";
    case DocumentStatus::NotAFile:
      return "Unter diesem Namen liegt keine Datei, sondern ein Ordner, eine FIFO, ein Gerät "
             "oder ein Socket.";
    case DocumentStatus::BrokenUtf16: return "Die Datei ist kein gültiger UTF-16-Text.";
    case DocumentStatus::NotASetup:
      return "Die Datei ist kein Überwachungssetup: ihr fehlen die Abschnitte [DIR], [Filter] "
             "und [Optionen].";
    case DocumentStatus::Ok:
    case DocumentStatus::Missing:
    case DocumentStatus::Unreadable: break;
  }
  return {};
}

bool SetupTargetExists(const std::string& path) {
  struct stat status {};
  return lstat(path.c_str(), &status) == 0;
}

// A document goes into a folder that is there: a mistyped folder name is
// reported, not created.
DocumentWrite WriteSetupDocument(const std::string& path, const SetupDocument& document) {
  const size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  struct stat status {};
  if (stat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) return {};
  FormattedDocument formatted = FormatSetupDocument(document);
  return {platform::WriteFileAtomically(path, formatted.bytes), std::move(formatted.leftOut)};
}

}  // namespace tavrek::setups
