#pragma once
// The records of a BIFF version 2 worksheet stream, the spreadsheet format
// the export writes: BOF, the code page of the texts, the cells (number
// cells first, then text cells, each in row and column order), EOF.
// Integers are little-endian.
#include <array>
#include <cstdint>
#include <string_view>

#include "core/lists/sink.h"

namespace tavrek::lists::biff2 {

inline constexpr uint16_t kBofRecord = 0x0009;
inline constexpr uint16_t kNumberRecord = 0x0003;
inline constexpr uint16_t kLabelRecord = 0x0004;
inline constexpr uint16_t kEofRecord = 0x000A;
inline constexpr uint16_t kCodePageRecord = 0x0042;
// Text cells are Windows-1252; without saying so a reader has to guess.
inline constexpr uint16_t kWindows1252 = 1252;
inline constexpr uint16_t kVersion = 0x0002;
inline constexpr uint16_t kWorksheet = 0x0010;
// Row numbers have 16 bits, but readers of sheets older than BIFF8 (Python's
// xlrd among them) take no more than this many rows, the header row
// included, and refuse a sheet with more.
inline constexpr size_t kMaxRows = 16384;
inline constexpr size_t kMaxTextBytes = 255;

using CellAttributes = std::array<uint8_t, 3>;

// The header look: bits 3 to 6 of the third attribute byte become 0x70
// (bits 4, 5 and 6 set, bit 3 clear); the other bits stay.
CellAttributes HeaderAttributes(CellAttributes attributes = {});

// BOF and the code page record.
void WriteBof(BufferedSink& out);
void WriteNumber(BufferedSink& out, uint16_t row, uint16_t column, CellAttributes attributes,
                 double value);
// `bytes` is Windows-1252 text; more than kMaxTextBytes are cut.
void WriteText(BufferedSink& out, uint16_t row, uint16_t column, CellAttributes attributes,
               std::string_view bytes);
void WriteEof(BufferedSink& out);

}  // namespace tavrek::lists::biff2
