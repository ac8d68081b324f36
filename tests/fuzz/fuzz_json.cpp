// The JSON reader on any text: it returns or refuses, never crashes or hangs.
#include <cstdint>
#include <string_view>

#include "core/platform/json_reader.h"

namespace {

size_t Walk(const tavrek::platform::JsonValue& value) {
  size_t count = 1;
  for (size_t i = 0; i < value.size(); ++i) count += Walk(value.at(i));
  (void)value.Find("open_files");
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto value = tavrek::platform::ParseJson(text)) Walk(*value);
  (void)tavrek::platform::JsonValue::IntegerOfText(text);
  return 0;
}
