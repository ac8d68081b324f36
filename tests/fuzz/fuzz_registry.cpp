// The registry store's read-modify-write: a file that is REGEDIT4 text comes
// back byte for byte when nothing changed; after a value is set, every byte
// that was there before is still there in front of it, and the value reads back.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/platform/registry_document.h"

using tavrek::platform::RegistryDocument;
using tavrek::platform::RegistryValue;

namespace {

constexpr std::string_view kNewKey = "HKEY_CURRENT_USER\\Software\\Fuzz\\Neu";

bool HasContent(std::string_view bytes) {
  return bytes.find_first_not_of(" \t\r\n") != std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (!RegistryDocument::IsRegistryText(bytes)) return 0;
  RegistryDocument document = RegistryDocument::Parse(bytes);
  if (HasContent(bytes) && document.Format() != bytes) std::abort();
  (void)document.FindValue("HKEY_CURRENT_USER\\Software\\Quorvane\\Tavrek", "WinRC");

  const bool newKey = !document.HasKey(kNewKey);
  const RegistryValue value{"Wert", tavrek::platform::kRegistryDword, std::string("\x2a\0\0\x80", 4)};
  document.SetValue(kNewKey, value);
  const std::string written = document.Format();
  if (newKey && HasContent(bytes) && written.compare(0, bytes.size(), bytes) != 0) std::abort();
  const RegistryDocument reread = RegistryDocument::Parse(written);
  const RegistryValue* found = reread.FindValue(kNewKey, "wert");
  if (found == nullptr || found->data != value.data || found->type != value.type) std::abort();
  document.RemoveValue(kNewKey, "Wert");
  return 0;
}
