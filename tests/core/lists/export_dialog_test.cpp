#include "core/lists/export_dialog.h"

#include <gtest/gtest.h>

namespace tavrek::lists {
namespace {

TEST(ExportDialogTest, CompletesTheExtensionOfTheChosenFormat) {
  const std::tuple<std::string, ExportFormat, std::string> cases[] = {
      {"/tmp/a.CSV", ExportFormat::Csv, "/tmp/a.CSV"},
      {"/tmp/a", ExportFormat::Csv, "/tmp/a.csv"},
      {"/tmp/a.txt", ExportFormat::Csv, "/tmp/a.txt.csv"},
      {"/tmp/a.htm", ExportFormat::Html, "/tmp/a.htm.html"},
      {"/tmp/a.Html", ExportFormat::Html, "/tmp/a.Html"},
      {"/tmp/a.", ExportFormat::Txt, "/tmp/a..txt"},
      {"/tmp/x.y/list", ExportFormat::Xls, "/tmp/x.y/list.xls"},
      {"xls", ExportFormat::Xls, "xls"},  // no ".": the whole name is compared
  };
  for (const auto& [name, format, expected] : cases) {
    EXPECT_EQ(CompleteExportName(name, format), expected) << name;
  }
}

TEST(ExportDialogTest, StoredIndexOutOfRangeMeansText) {
  EXPECT_EQ(FormatOfIndex(0), ExportFormat::Txt);
  EXPECT_EQ(FormatOfIndex(4), ExportFormat::Xls);
  EXPECT_EQ(FormatOfIndex(5), ExportFormat::Txt);
}

TEST(ExportDialogTest, ProposedNamesAreCleanedAndCut) {
  EXPECT_EQ(ProposedTreeExportName("C://a\\\\b:c!<d>"), "Export_C;_a_b;c__d_");
  // 252 two-byte characters: the cut keeps whole characters only.
  std::string umlauts;
  for (int i = 0; i < 252; ++i) umlauts += "ä";
  const std::string proposed = ProposedExportName(umlauts);
  EXPECT_EQ(proposed.size(), 7u + 252u);
  EXPECT_EQ(proposed.substr(proposed.size() - 2), "ä");
}

}  // namespace
}  // namespace tavrek::lists
