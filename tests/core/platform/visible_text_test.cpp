#include "core/platform/visible_text.h"

#include <gtest/gtest.h>

#include "core/platform/absolute_path.h"
#include "core/platform/cp1252.h"

namespace tavrek::platform {
namespace {

TEST(VisibleTextTest, EscapesControlsBackslashAndInvalidBytesReversibly) {
  EXPECT_EQ(VisibleText("plain Größe €.txt"), "plain Größe €.txt");
  EXPECT_EQ(VisibleText("a\x1b[31mred"), "a\\x1b[31mred");
  EXPECT_EQ(VisibleText("tab\there\r\nnext\x7f"), "tab\\x09here\\x0d\\x0anext\\x7f");
  EXPECT_EQ(VisibleText("C:\\x1b"), "C:\\\\x1b");  // a literal "\x1b" stays apart from ESC
  EXPECT_EQ(VisibleText("\xff\xc3(\xe2\x82"), "\\xff\\xc3(\\xe2\\x82");
  EXPECT_EQ(VisibleText("csi\xc2\x9b"), "csi\\xc2\\x9b");  // C1 control, valid UTF-8
  const std::string hostile[] = {"", "\\", "\\\\x41", "\x1b]0;title\x07", "\xed\xa0\x80",
                                 std::string("nul\0", 4), "\\x", "\\xg1", "end\\"};
  for (const std::string& name : hostile) {
    const std::string visible = VisibleText(name);
    EXPECT_TRUE(IsValidUtf8(visible)) << visible;
    EXPECT_EQ(visible.find_first_of(std::string("\t\r\n\x1b\0", 5)), std::string::npos);
    EXPECT_EQ(FromVisibleText(visible), name) << visible;
  }
}

TEST(AbsolutePathTest, MakesRelativePathsAbsoluteAndNormalisesByText) {
  EXPECT_EQ(AbsolutePath("wf,comma", "/home/u"), "/home/u/wf,comma");
  EXPECT_EQ(AbsolutePath("./a//b/../c/", "/home/u/"), "/home/u/a/c");
  EXPECT_EQ(AbsolutePath("../../../..", "/home/u"), "/");
  EXPECT_EQ(AbsolutePath("//tmp/./x/", "/ignored"), "/tmp/x");
  EXPECT_EQ(AbsolutePath("/", "/home"), "/");
  EXPECT_EQ(AbsolutePath("...", "/"), "/...");
  ASSERT_TRUE(CurrentFolder());
  EXPECT_EQ(CurrentFolder()->front(), '/');
}

}  // namespace
}  // namespace tavrek::platform
