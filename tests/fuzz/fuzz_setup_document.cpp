// Setup documents: any bytes (UTF-16 too) load without a crash or are refused
// whole; what a load gives saves as UTF-8 and loads back without a note, as it
// was unless the save named what it left out, and saving it again writes the
// same bytes.
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "core/platform/cp1252.h"
#include "core/setups/document_file.h"
#include "core/setups/setup_document.h"

using tavrek::platform::IsValidUtf8;
using tavrek::setups::DocumentNote;
using tavrek::setups::DocumentRead;
using tavrek::setups::DocumentStatus;
using tavrek::setups::FormatSetupDocument;
using tavrek::setups::FormattedDocument;
using tavrek::setups::ParseSetupDocument;
using tavrek::setups::SetupDocumentFromBytes;
using tavrek::setups::SetupDocument;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const DocumentRead read = SetupDocumentFromBytes(bytes);
  if (read.status != DocumentStatus::Ok) return 0;
  const SetupDocument& first = read.document;
  const FormattedDocument saved = FormatSetupDocument(first);
  if (!IsValidUtf8(saved.bytes)) std::abort();
  std::vector<DocumentNote> notLoadedAgain;
  const SetupDocument second = ParseSetupDocument(saved.bytes, &notLoadedAgain);
  if (!notLoadedAgain.empty()) std::abort();
  if (saved.leftOut.empty() && !(second == first)) std::abort();
  const FormattedDocument again = FormatSetupDocument(second);
  if (again.bytes != saved.bytes || !again.leftOut.empty()) std::abort();
  return 0;
}
