#include "core/setups/document_file.h"

#include <sys/stat.h>

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
  DocumentRead result;
  const platform::FileContent content = platform::ReadTextFile(path, kMaxDocumentBytes);
  result.status = StatusOf(content.status);
  if (result.status == DocumentStatus::Ok) {
    result.document = ParseSetupDocument(content.bytes, &result.notLoaded);
  }
  return result;
}

std::string_view DescribeStatus(DocumentStatus status) {
  switch (status) {
    case DocumentStatus::Ok: return "read";
    case DocumentStatus::Missing: return "no such file";
    case DocumentStatus::NotAFile: return "not a regular file";
    case DocumentStatus::TooLarge: return "file too large for a setup document";
    case DocumentStatus::Unreadable: return "cannot be read";
  }
  return "cannot be read";
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
