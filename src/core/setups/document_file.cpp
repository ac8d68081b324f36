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

}  // namespace

DocumentRead ReadSetupDocument(const std::string& path) {
  const platform::FileContent content = platform::ReadTextFile(path, kMaxDocumentBytes);
  if (content.status != platform::ReadStatus::Ok) return {StatusOf(content.status), {}, {}};
  return SetupDocumentFromBytes(content.bytes);
}

// Read as 8-bit text, UTF-16 would give a NUL byte in every other place.
DocumentRead SetupDocumentFromBytes(std::string_view bytes) {
  DocumentRead result;
  result.status = DocumentStatus::Ok;
  const platform::Utf16Order order = platform::DetectUtf16(bytes);
  if (order == platform::Utf16Order::None) {
    result.document = ParseSetupDocument(bytes, &result.notLoaded);
    return result;
  }
  const std::optional<std::string> text = platform::Utf16ToUtf8(bytes, order);
  if (!text) {
    result.status = DocumentStatus::BrokenUtf16;
    return result;
  }
  result.document = ParseSetupDocument(*text, &result.notLoaded);
  return result;
}

std::string_view DescribeStatus(DocumentStatus status) {
  switch (status) {
    case DocumentStatus::Ok: return "read";
    case DocumentStatus::Missing: return "no such file";
    case DocumentStatus::NotAFile: return "not a regular file";
    case DocumentStatus::TooLarge: return "file too large for a setup document";
    case DocumentStatus::Unreadable: return "cannot be read";
    case DocumentStatus::BrokenUtf16: return "broken UTF-16 text";
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
