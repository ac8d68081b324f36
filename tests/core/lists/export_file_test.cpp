// The export file: its name as the dialog completes it, a write that replaces
// it whole or leaves it as it was, and what other programs' readers make of it.
#include "core/lists/export_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>

#include "core/lists/biff2.h"
#include "core/lists/export_dialog.h"
#include "core/lists/flat_export.h"
#include "core/lists/tree_export.h"
#include "core/platform/file_io.h"
#include "list_fixtures.h"
#include "support/temp_folder.h"

namespace tavrek::lists {
namespace {

namespace fs = std::filesystem;
using testing::Columns;
using testing::ListData;

// Passes the first `allowed` writes on, then fails, like a full disk.
class FailingSink : public Sink {
 public:
  FailingSink(Sink& inner, int allowed) : inner_(inner), allowed_(allowed) {}
  bool Write(std::string_view bytes) override { return allowed_-- > 0 && inner_.Write(bytes); }

 private:
  Sink& inner_;
  int allowed_;
};

ListData BigList() {
  ListData list{Columns({{"Name", 170}}), {}};
  list.rows.assign(100000, {"/some/rather/long/path/name.txt"});  // several blocks
  return list;
}

std::string ReadFile(const fs::path& path) { return platform::ReadWholeFile(path).bytes; }

size_t EntryCount(const fs::path& folder) {
  return static_cast<size_t>(
      std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(ExportFileTest, OnlyACompleteExportReplacesTheFileAndKeepsItsMode) {
  tavrek::testing::TempFolder folder;
  const fs::path fresh = folder / "fresh.csv";
  const fs::path existing = folder.Write("existing.csv", "old");
  const ListData list = BigList();
  ExportResult result = ExportToFile(fresh, [&](Sink& sink) {
    FailingSink failing(sink, 2);
    return WriteFlatList(list.Source(), ExportFormat::Csv, failing);
  });
  EXPECT_EQ(result.status, ExportStatus::WriteFailed);
  EXPECT_LT(result.rowsWritten, list.rows.size());
  const ExportProgress cancelAtOnce{[](size_t done, size_t) { return done == 0; }, 1000};
  result = ExportToFile(existing, [&](Sink& sink) {
    return WriteFlatList(list.Source(), ExportFormat::Csv, sink, cancelAtOnce);
  });
  EXPECT_EQ(result.status, ExportStatus::Cancelled);
  EXPECT_FALSE(fs::exists(fresh));
  EXPECT_EQ(ReadFile(existing), "old");
  EXPECT_EQ(EntryCount(folder.path()), 1u);
  // Targets that are no regular file are refused.
  tavrek::testing::TempFolder odd;
  const fs::path fifo = odd / "pipe.txt";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  fs::create_directory(odd / "dir.txt");
  const fs::path kept = odd.Write("kept.txt", "mine");  // write-protected: stays as it is
  chmod(kept.c_str(), 0444);
  const auto nothing = [](Sink&) { return ExportResult{}; };
  for (const fs::path& target : {fifo, odd / "dir.txt", odd / "missing" / "a.txt", kept}) {
    const ExportResult refused = ExportToFile(target, nothing);
    EXPECT_EQ(refused.status, ExportStatus::OpenFailed) << target;
    EXPECT_NE(refused.error, 0) << target;
  }
  EXPECT_EQ(fs::status(fifo).type(), fs::file_type::fifo);
  EXPECT_EQ(ReadFile(kept), "mine");
  EXPECT_EQ(EntryCount(odd.path()), 3u);
  // A complete export replaces the file and keeps its mode.
  tavrek::testing::TempFolder whole;
  const fs::path replaced = whole.Write("out.txt", "old");
  chmod(replaced.c_str(), 0640);
  const ListData one{Columns({{"N", 50}}), {{"a"}}};
  const ExportResult done = ExportToFile(
      replaced, [&](Sink& sink) { return WriteFlatList(one.Source(), ExportFormat::Txt, sink); });
  ASSERT_TRUE(done.ok());
  EXPECT_EQ(ReadFile(replaced), "N\t\r\na\t\r\n");
  EXPECT_EQ(fs::status(replaced).permissions(), fs::perms(0640));
  EXPECT_EQ(EntryCount(whole.path()), 1u);
}

TEST(ExportDialogTest, CompletesTheExtensionOfTheChosenFormatAndCleansProposedNames) {
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
  // A stored index out of range means text.
  EXPECT_EQ(FormatOfIndex(0), ExportFormat::Txt);
  EXPECT_EQ(FormatOfIndex(4), ExportFormat::Xls);
  EXPECT_EQ(FormatOfIndex(5), ExportFormat::Txt);
  // Proposed names are cleaned and cut.
  EXPECT_EQ(ProposedTreeExportName("C://a\\\\b:c!<d>"), "Export_C;_a_b;c__d_");
  // 252 two-byte characters: the cut keeps whole characters only.
  std::string umlauts;
  for (int i = 0; i < 252; ++i) umlauts += "ä";
  const std::string proposed = ProposedExportName(umlauts);
  EXPECT_EQ(proposed.size(), 7u + 252u);
  EXPECT_EQ(proposed.substr(proposed.size() - 2), "ä");
}

// The exports read back by the readers other programs use: Python's csv
// module, its HTML parser and xlrd for the spreadsheet.
using testing::TreeData;

// Keep in step with data/read_exports.py.
ListData HostileList() {
  return {Columns({{"", 30}, {"Zeit", 80}, {"Name", 170}, {"Name alt", 130}}),
          {{"", "12:00:00.000", "/tmp/say \"hi\";<b>&amp;", "a\tb\rc\nd"},
           {"", "12:00:00.001", "/tmp/caf\xC3\xA9 \xE2\x82\xAC \xCE\xA9 \xFF", ""},
           {"", "12:00:00.002", "/" + std::string(299, 'p'), "x"},
           {"@", "-1", "=cmd|' /C calc'!A0", "\r=1+2 (30226)"},
           {"", "+1", "=1+2 (30226)", "a=b"},
           {"", "12:00:00.003", "bad\xff" "name", "bad\\xffname"},
           {"", "12:00:00.004", "esc\x1b[2J\xE2\x80\xAE" "fdp.exe", "z\xE2\x80\x8Bw"}}};
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
