// The fanotify decoder on any read buffer: metadata and info records are
// taken apart without reading outside the bytes, whatever they claim.
#include <cstdint>
#include <map>
#include <span>
#include <vector>

#include "../support/fanotify_record_builder.h"
#include "core/engine/backend/fanotify/fanotify_decoder.h"

namespace {

using tavrek::engine::FanotifyFileKey;
using tavrek::testing::TestKey;

const std::map<FanotifyFileKey, std::string>& Directories() {
  static const std::map<FanotifyFileKey, std::string> directories{
      {TestKey("slash"), "/"}, {TestKey("root"), "/real"}, {TestKey("w"), "/real/w"},
      {TestKey("sub"), "/real/w/sub"}, {TestKey("other"), "/real/other"}};
  return directories;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tavrek::engine;
  const std::vector<std::byte> buffer(reinterpret_cast<const std::byte*>(data),
                                      reinterpret_cast<const std::byte*>(data) + size);
  FanotifyDecoder decoder({"/watched/", "/real/w/", TestKey("w"), size % 2 == 0},
                          [](const FanotifyFileKey& key) -> std::optional<std::string> {
                            const auto found = Directories().find(key);
                            if (found == Directories().end()) return std::nullopt;
                            return found->second;
                          });
  std::vector<RawChange> out;
  const size_t half = size / 2;
  decoder.Decode(std::span(buffer).first(half), out);
  decoder.Decode(std::span(buffer).subspan(half), out);
  decoder.FlushHeld(out);
  return 0;
}
