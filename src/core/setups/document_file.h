#pragma once
// Setup documents on disk. A document is read only when it is a regular file
// of sensible size: a FIFO, a device or a folder in its place reads as absent
// instead of blocking or flooding the reader.
#include <string>
#include <string_view>

#include "core/setups/setup_document.h"

namespace tavrek::setups {

// More than any document the program writes could hold (three sections of at
// most 32,000 bytes each are read, plus the options).
inline constexpr size_t kMaxDocumentBytes = size_t{4} << 20;

enum class DocumentStatus {
  Ok,
  Missing,
  NotAFile,    // a folder, FIFO, socket or device
  TooLarge,    // larger than kMaxDocumentBytes
  Unreadable,  // no permission, or a read error
};

struct DocumentRead {
  DocumentStatus status = DocumentStatus::Missing;
  SetupDocument document;
};

DocumentRead ReadSetupDocument(const std::string& path);

// Why a document could not be read, in a few English words for the console.
std::string_view DescribeStatus(DocumentStatus status);

// Whether something already stands at the path (saving asks before replacing it).
bool SetupTargetExists(const std::string& path);

// Replaces the file at `path` atomically by the document; false when that
// fails (no permission, no such folder, not a regular file).
bool WriteSetupDocument(const std::string& path, const SetupDocument& document);

}  // namespace tavrek::setups
