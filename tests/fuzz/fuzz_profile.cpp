// INI text: reading never fails, a file read and written unchanged comes back
// byte for byte, and a value written is read back.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/platform/cp1252.h"
#include "core/platform/profile_text.h"

using tavrek::platform::IsValidUtf8;
using tavrek::platform::ProfileText;
using tavrek::platform::TrimBlanks;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (!ProfileText::IsProfileText(bytes)) return 0;
  ProfileText profile = ProfileText::FromFileBytes(bytes);
  if (profile.ToFileBytes() != bytes) std::abort();
  // The first line names the section and key the change uses.
  const std::string_view first = bytes.substr(0, bytes.find('\n'));
  const std::string_view section = first.substr(0, first.find('\r')).substr(0, 8);
  (void)profile.FindValue(section, "k");
  (void)profile.SectionEntries(section);
  // Names are given in UTF-8 and without blanks around them, as the program writes them.
  if (section.find(']') != std::string_view::npos || !IsValidUtf8(section) ||
      TrimBlanks(section) != section) {
    return 0;
  }
  profile.SetValue(section, "fuzzkey", "fuzz value");
  const ProfileText again = ProfileText::FromFileBytes(profile.ToFileBytes());
  if (again.FindValue(section, "FUZZKEY") != "fuzz value") std::abort();
  profile.RemoveKey(section, "fuzzkey");
  profile.RemoveSection(section);
  return 0;
}
