#include "core/engine/bounded_text.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace tavrek::engine {
namespace {

// Cut off where snprintf cuts the same text (the first size - 1 bytes, then a
// NUL), in every buffer size.
TEST(BoundedTextTest, CutsOffWhereSnprintfDoes) {
  for (size_t size = 0; size <= 16; ++size) {
    std::array<char, 16> mine{};
    const std::string_view made = BoundedText(std::span(mine.data(), size))
                                      .AppendDecimal(7, 2)
                                      .Append(" (ID:")
                                      .AppendDecimal(18446744073709551615ULL)
                                      .view();
    const std::string whole = "07 (ID:18446744073709551615";
    EXPECT_EQ(made, whole.substr(0, size == 0 ? 0 : size - 1)) << size;
    if (size > 0) {
      EXPECT_EQ(mine[made.size()], '\0') << size;
    }
  }
}

}  // namespace
}  // namespace tavrek::engine
