// The exports read back by the readers other programs use: Python's csv
// module, its HTML parser and xlrd for the spreadsheet.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdio>

#include "core/lists/biff2.h"
#include "core/lists/export_file.h"
#include "core/lists/flat_export.h"
#include "core/lists/tree_export.h"
#include "list_fixtures.h"
#include "support/temp_folder.h"

namespace tavrek::lists {
namespace {

using testing::Columns;
using testing::ListData;
using testing::TreeData;

// Keep in step with data/read_exports.py.
ListData HostileList() {
  return {Columns({{"", 30}, {"Zeit", 80}, {"Name", 170}, {"Name alt", 130}}),
          {{"", "12:00:00.000", "/tmp/say \"hi\";<b>&amp;", "a\tb\rc\nd"},
           {"", "12:00:00.001", "/tmp/caf\xC3\xA9 \xE2\x82\xAC \xCE\xA9 \xFF", ""},
           {"", "12:00:00.002", "/" + std::string(299, 'p'), "x"},
           {"@", "-1", "=cmd|' /C calc'!A0", "\r=1+2 (30226)"},
           {"", "+1", "=1+2 (30226)", "a=b"}}};
}

TreeData HostileTree() {
  TreeData tree;
  tree.layout = Columns({{"Datei", 170}, {"N", 80}});
  tree.Add(0, {"=1+2", "@3"});
  const size_t top = tree.Add(0, {"/tmp/x;y \"q\" <i>&", ""});
  tree.Add(top, {"caf\xC3\xA9\tz", "1"});
  return tree;
}

// Output and exit status of a command.
std::pair<std::string, int> RunCommand(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return {"popen failed", -1};
  std::string output;
  std::array<char, 4096> chunk{};
  for (size_t got; (got = fread(chunk.data(), 1, chunk.size(), pipe)) > 0;)
    output.append(chunk.data(), got);
  return {output, pclose(pipe)};
}

TEST(RealReadersTest, PythonReadsEveryCellBack) {
  if (access(TAVREK_PYTHON3, X_OK) != 0) GTEST_SKIP() << "python3 not found: readers not run";
  tavrek::testing::TempFolder folder;
  const ListData list = HostileList();
  const TreeData tree = HostileTree();
  const std::pair<const char*, ExportFormat> files[] = {{"txt", ExportFormat::Txt},
                                                        {"csv", ExportFormat::Csv},
                                                        {"html", ExportFormat::Html},
                                                        {"xls", ExportFormat::Xls}};
  for (const auto& [extension, format] : files) {
    ASSERT_TRUE(ExportToFile(folder / (std::string("flat.") + extension), [&](Sink& sink) {
                  return WriteFlatList(list.Source(), format, sink);
                }).ok());
    ASSERT_TRUE(ExportToFile(folder / (std::string("tree.") + extension), [&](Sink& sink) {
                  return WriteTreeList(tree.Source(), format, sink);
                }).ok());
  }
  // A sheet as full as readers take it, with a character beyond ASCII.
  ListData full{Columns({{"N", 50}}), {}};
  for (size_t row = 1; row <= biff2::kMaxRows + 2; ++row) full.rows.push_back({"\xC3\x84 " + std::to_string(row)});
  const ExportResult fullResult = ExportToFile(folder / "full.xls", [&](Sink& sink) {
    return WriteFlatList(full.Source(), ExportFormat::Xls, sink);
  });
  EXPECT_EQ(fullResult.rowsLeftOut, 3u);
  const auto [output, status] =
      RunCommand(std::string(TAVREK_PYTHON3) + " " TAVREK_LISTS_DATA "/read_exports.py '" +
                 folder.path().string() + "' 2>&1");
  EXPECT_EQ(status, 0) << output;
}

}  // namespace
}  // namespace tavrek::lists
