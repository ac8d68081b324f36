#include "core/lists/biff2.h"

#include <gtest/gtest.h>

#include "core/lists/flat_export.h"
#include "list_fixtures.h"

namespace tavrek::lists {
namespace {

using testing::Columns;
using testing::ListData;

struct Record {
  uint16_t number = 0;
  std::string data;
};

uint16_t Get16(std::string_view bytes, size_t at) {
  return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) |
                               static_cast<unsigned char>(bytes[at + 1]) << 8);
}

// Splits a BIFF stream into records; fails the test on a cut record.
std::vector<Record> ReadRecords(std::string_view bytes) {
  std::vector<Record> records;
  size_t at = 0;
  while (at + 4 <= bytes.size()) {
    const uint16_t length = Get16(bytes, at + 2);
    EXPECT_LE(at + 4 + length, bytes.size()) << "record cut at " << at;
    if (at + 4 + length > bytes.size()) break;
    records.push_back({Get16(bytes, at), std::string(bytes.substr(at + 4, length))});
    at += 4 + length;
  }
  EXPECT_EQ(at, bytes.size());
  return records;
}

// A text cell as (row, column, second attribute byte, text).
std::tuple<int, int, int, std::string> ReadLabel(const Record& record) {
  EXPECT_EQ(record.number, biff2::kLabelRecord);
  const std::string& d = record.data;
  EXPECT_EQ(d.size(), 8u + static_cast<unsigned char>(d[7]));
  return {Get16(d, 0), Get16(d, 2), static_cast<uint8_t>(d[6]), d.substr(8)};
}

std::vector<Record> ExportRecords(const ListData& list) {
  StringSink sink;
  EXPECT_TRUE(WriteFlatList(list.Source(), ExportFormat::Xls, sink).ok());
  return ReadRecords(sink.text);
}

TEST(Biff2Test, SheetIsBofCodePageThenTextCellsInRowOrderThenEof) {
  const ListData list{Columns({{"Zeit", 80}, {"narrow", 10}, {"Name", 170}}),
                      {{"t1", "x", "Größe €"}, {"t2", "x", ""}}};
  const std::vector<Record> records = ExportRecords(list);
  ASSERT_EQ(records.size(), 9u);
  EXPECT_EQ(records.front().number, biff2::kBofRecord);
  EXPECT_EQ(records.front().data, std::string("\x02\x00\x10\x00", 4));
  EXPECT_EQ(records[1].number, 0x0042);
  EXPECT_EQ(records[1].data, "\xE4\x04");  // 1252
  EXPECT_EQ(records.back().number, biff2::kEofRecord);
  EXPECT_EQ(records.back().data, "");
  const std::vector<std::tuple<int, int, int, std::string>> expected = {
      {0, 0, 0x70, "Zeit"}, {0, 1, 0x70, "Name"}, {1, 0, 0, "t1"},
      {1, 1, 0, "Gr\xF6\xDF" "e \x80"},  // Windows-1252
      {2, 0, 0, "t2"}, {2, 1, 0, ""}};   // an empty text is still a cell
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(ReadLabel(records[i + 2]), expected[i]) << i;
}

}  // namespace
}  // namespace tavrek::lists
