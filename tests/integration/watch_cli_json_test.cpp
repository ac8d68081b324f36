// tavrek-watch --format json read back by a JSON parser: every hostile name
// comes back byte for byte, as text or as base64 of its bytes.
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <string_view>

#include "core/platform/json_reader.h"
#include "support/temp_folder.h"
#include "watch_process.h"

namespace {

using tavrek::platform::JsonValue;
using tavrek::testing::TempFolder;
using tavrek::testing::WatchProcess;

std::string DecodeBase64(std::string_view text) {
  constexpr std::string_view kAlphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string bytes;
  uint32_t bits = 0;
  int count = 0;
  for (const char c : text) {
    if (c == '=') break;
    bits = bits << 6 | static_cast<uint32_t>(kAlphabet.find(c));
    if ((count += 6) >= 8) bytes += static_cast<char>(bits >> (count -= 8) & 0xFF);
  }
  return bytes;
}

// The path of a row: as text, or from base64 when it is no UTF-8.
std::string PathOf(const JsonValue& row) {
  if (const JsonValue* text = row.Find("path")) return text->text();
  const JsonValue* bytes = row.Find("path_b64");
  return bytes ? DecodeBase64(bytes->text()) : std::string();
}

TEST(WatchCliJsonTest, HostileNamesComeBackByteForByte) {
  TempFolder folder;
  WatchProcess process({"--format", "json", "--no-access", folder.path().string()});
  const auto start = process.ReadLine();
  ASSERT_TRUE(start);
  const auto first = tavrek::platform::ParseJson(*start);
  ASSERT_TRUE(first) << *start;
  EXPECT_EQ(first->Find("kind")->text(), "start");
  EXPECT_TRUE(first->Find("ns")->integer());
  for (const std::string name : {"line\nfeed", "tab\tname", "esc\x1b[31m", "bad\xff\xfe",
                                 "back\\slash", "quo\"te"}) {
    const std::string path = (folder.path() / name).string();
    std::ofstream(path).put('x');
    bool found = false;
    while (!found) {
      const auto line = process.ReadLine();
      ASSERT_TRUE(line) << "no row for " << path;
      const auto row = tavrek::platform::ParseJson(*line);
      ASSERT_TRUE(row) << *line;
      found = PathOf(*row) == path && row->Find("kind")->text() == "created";
      if (found && row->Find("pid")->integer() == getpid()) {
        EXPECT_TRUE(row->Find("uid")->integer()) << *line;
      }
    }
  }
}

}  // namespace
