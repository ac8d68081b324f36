#pragma once
// Setup documents on disk. A document is read only when it is a regular file
// of sensible size: a FIFO, a device or a folder in its place reads as absent
// instead of blocking or flooding the reader.
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/file_io.h"
#include "core/setups/setup_document.h"

namespace tavrek::setups {

// The limit of every small text file the program reads; far more than a
// document can carry (two sections of at most 32,000 bytes, the options).
inline constexpr size_t kMaxDocumentBytes = platform::kTextFileLimit;

enum class DocumentStatus {
  Ok,
  Missing,
  NotAFile,    // a folder, FIFO, socket or device
  TooLarge,    // larger than kMaxDocumentBytes
  Unreadable,  // no permission, or a read error
  BrokenUtf16, // saved as UTF-16, but not valid UTF-16 (a lone surrogate, an odd byte count)
  NotASetup,   // text, but none of a setup document's sections (an empty file is an empty setup)
};

struct DocumentRead {
  DocumentStatus status = DocumentStatus::Missing;
  SetupDocument document;
  std::vector<DocumentNote> notLoaded;  // lines refused or past a section's end
};

DocumentRead ReadSetupDocument(const std::string& path);
// The document in a file's bytes (status Ok, BrokenUtf16 or NotASetup): one
// an editor saved as UTF-16 is read as its text.
DocumentRead SetupDocumentFromBytes(std::string_view bytes);

// Why a document could not be read, in a few English words for the console.
std::string_view DescribeStatus(DocumentStatus status);

// Why a document could not be read, as a German sentence for the window's
// error box; empty where the box's own words say it all (missing, unreadable).
std::string GermanStatusReason(DocumentStatus status);

// Whether something already stands at the path (saving asks before replacing it).
bool SetupTargetExists(const std::string& path);

struct DocumentWrite {
  bool written = false;               // false: no permission, no such folder, not a regular file
  std::vector<DocumentNote> leftOut;  // what the document could not carry as it was
};

// Replaces the file at `path` atomically by the document.
DocumentWrite WriteSetupDocument(const std::string& path, const SetupDocument& document);

}  // namespace tavrek::setups
