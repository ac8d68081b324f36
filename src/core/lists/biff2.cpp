#include "core/lists/biff2.h"

#include <bit>
#include <cstring>

namespace tavrek::lists::biff2 {
namespace {

constexpr uint8_t kHeaderMask = 0x78;  // bits 3 to 6
constexpr uint8_t kHeaderBits = 0x70;
constexpr uint16_t kBofLength = 4;
constexpr uint16_t kCodePageLength = 2;
constexpr uint16_t kNumberLength = 15;
constexpr uint16_t kLabelFixedLength = 8;

void Put16(BufferedSink& out, uint16_t value) {
  out.Append(static_cast<char>(value & 0xFF));
  out.Append(static_cast<char>(value >> 8));
}

void PutRecordHead(BufferedSink& out, uint16_t record, uint16_t length) {
  Put16(out, record);
  Put16(out, length);
}

void PutCellHead(BufferedSink& out, uint16_t row, uint16_t column, CellAttributes attributes) {
  Put16(out, row);
  Put16(out, column);
  for (uint8_t byte : attributes) out.Append(static_cast<char>(byte));
}

}  // namespace

CellAttributes HeaderAttributes(CellAttributes attributes) {
  attributes[2] = static_cast<uint8_t>((attributes[2] & ~kHeaderMask) | kHeaderBits);
  return attributes;
}

void WriteBof(BufferedSink& out) {
  PutRecordHead(out, kBofRecord, kBofLength);
  Put16(out, kVersion);
  Put16(out, kWorksheet);
  PutRecordHead(out, kCodePageRecord, kCodePageLength);
  Put16(out, kWindows1252);
}

void WriteNumber(BufferedSink& out, uint16_t row, uint16_t column, CellAttributes attributes,
                 double value) {
  PutRecordHead(out, kNumberRecord, kNumberLength);
  PutCellHead(out, row, column, attributes);
  uint64_t bits = std::bit_cast<uint64_t>(value);
  for (int i = 0; i < 8; ++i, bits >>= 8) out.Append(static_cast<char>(bits & 0xFF));
}

void WriteText(BufferedSink& out, uint16_t row, uint16_t column, CellAttributes attributes,
               std::string_view bytes) {
  if (bytes.size() > kMaxTextBytes) bytes = bytes.substr(0, kMaxTextBytes);
  PutRecordHead(out, kLabelRecord, static_cast<uint16_t>(kLabelFixedLength + bytes.size()));
  PutCellHead(out, row, column, attributes);
  out.Append(static_cast<char>(bytes.size()));
  out.Append(bytes);
}

void WriteEof(BufferedSink& out) { PutRecordHead(out, kEofRecord, 0); }

}  // namespace tavrek::lists::biff2
