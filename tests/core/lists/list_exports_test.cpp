// Lists as text, CSV, HTML and BIFF2 sheets: flat lists, trees with their
// prefixes, and the window's lists as they go out.
#include "core/lists/flat_export.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/engine/action.h"
#include "core/lists/access_lists.h"
#include "core/lists/biff2.h"
#include "core/lists/change_log_list.h"
#include "core/lists/row_writer.h"
#include "core/lists/tree_export.h"
#include "core/lists/tree_text.h"
#include "list_fixtures.h"

namespace tavrek::lists {
namespace {

using testing::Columns;
using testing::ListData;

constexpr char kArialPage[] =
    "<html><head><style><!-- \r\nbody,td,a,p,.h{font-family:arial,sans-serif; font-size: 12px; }"
    "\r\n.h{font-size: 20px;}\r\n.q{color:#0000cc;}\r\n//-->\r\n</style></head>\r\n\r\n<body>"
    "\r\n\r\n\r\n";

std::string Export(const ListData& list, ExportFormat format) {
  StringSink sink;
  const ExportResult result = WriteFlatList(list.Source(), format, sink);
  EXPECT_TRUE(result.ok());
  return sink.text;
}

ListData SmallList() {
  return {Columns({{"", 30}, {"Zeit", 80}, {"Name", 170}}),
          {{"", "12:00:00.000", "/a b"}, {"", "12:00:01.000", ""}}};
}

TEST(FlatExportTest, WritesTextCsvAndHtmlByteForByteAndAnEmptyListAsItsHeader) {
  const ListData list = SmallList();
  EXPECT_EQ(Export(list, ExportFormat::Txt),
            "\tZeit\tName\t\r\n\t12:00:00.000\t/a b\t\r\n\t12:00:01.000\t\t\r\n");
  EXPECT_EQ(Export(list, ExportFormat::Csv),
            "\"\";\"Zeit\";\"Name\";\r\n\"\";\"12:00:00.000\";\"/a b\";\r\n"
            "\"\";\"12:00:01.000\";\"\";\r\n");
  EXPECT_EQ(Export(list, ExportFormat::Html),
            std::string(kArialPage) +
                "<TABLE Border=0><TR><td>&nbsp;</td><td><b><nobr>Zeit</b></td>"
                "<td><b><nobr>Name</b></td></TR>\r\n\r\n"
                "  <TR BGCOLOR=#EEEEEE><td>&nbsp;</td><td><nobr>12:00:00.000</td>"
                "<td><nobr>/a b</td>   </TR>\r\n"
                "  <TR><td>&nbsp;</td><td><nobr>12:00:01.000</td><td>&nbsp;</td>   </TR>\r\n"
                "</TABLE></body></html>\r\n");
  // An empty list writes the header only.
  const ListData empty{Columns({{"Zeit", 80}, {"Name", 170}}), {}};
  EXPECT_EQ(Export(empty, ExportFormat::Txt), "Zeit\tName\t\r\n");
  EXPECT_EQ(Export(empty, ExportFormat::Csv), "\"Zeit\";\"Name\";\r\n");
  EXPECT_EQ(Export(empty, ExportFormat::Html),
            std::string(kArialPage) +
                "<TABLE Border=0><TR><td><b><nobr>Zeit</b></td><td><b><nobr>Name</b></td>"
                "</TR>\r\n\r\n</TABLE></body></html>\r\n");
  // HTML rows alternate from grey.
  const ListData four{Columns({{"N", 50}}), {{"0"}, {"1"}, {"2"}, {"3"}}};
  const std::string html = Export(four, ExportFormat::Html);
  EXPECT_NE(html.find("  <TR BGCOLOR=#EEEEEE><td><nobr>0</td>   </TR>\r\n"
                      "  <TR><td><nobr>1</td>   </TR>\r\n"
                      "  <TR BGCOLOR=#EEEEEE><td><nobr>2</td>   </TR>\r\n"
                      "  <TR><td><nobr>3</td>   </TR>\r\n"),
            std::string::npos);
}

TEST(FlatExportTest, ColumnsFollowTheDisplayOrderFromColumnZeroAndSkipNarrowOnes) {
  // B is shown before column 0 (A): a flat list leaves it out at any width.
  ListData list{Columns({{"A", 11}, {"B", 10}, {"C", 50}}, {1, 0, 2}), {{"a", "b", "c"}}};
  EXPECT_EQ(Export(list, ExportFormat::Txt), "A\tC\t\r\na\tc\t\r\n");
  list.layout.columns[1].width = 11;  // widened: back, but it stands before column 0
  EXPECT_EQ(Export(list, ExportFormat::Txt), "A\tC\t\r\na\tc\t\r\n");
  list.layout.displayOrder = {0, 2, 1};
  EXPECT_EQ(Export(list, ExportFormat::Txt), "A\tC\tB\t\r\na\tc\tb\t\r\n");
  list.layout.columns[1].width = 10;
  EXPECT_EQ(Export(list, ExportFormat::Txt), "A\tC\t\r\na\tc\t\r\n");
  // Progress is asked every interval and can cancel.
  ListData ten{Columns({{"N", 50}}), {}};
  for (int i = 0; i < 10; ++i) ten.rows.push_back({std::to_string(i)});
  std::vector<size_t> asked;
  ExportProgress progress{[&](size_t done, size_t total) {
                            EXPECT_EQ(total, 10u);
                            asked.push_back(done);
                            return done < 6;
                          },
                          3};
  StringSink sink;
  const ExportResult result = WriteFlatList(ten.Source(), ExportFormat::Txt, sink, progress);
  EXPECT_EQ(result.status, ExportStatus::Cancelled);
  EXPECT_EQ(asked, (std::vector<size_t>{0, 3, 6}));
  EXPECT_EQ(result.rowsWritten, 6u);
}

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

engine::ChangeEvent Event(std::string path, engine::Action action, uint16_t millisecond) {
  engine::ChangeEvent event;
  event.path = std::move(path);
  event.action = action;
  event.time.hour = 10;
  event.time.milliseconds = millisecond;
  event.recordPosition = 3;
  event.kindIndex = 1;
  return event;
}

template <typename Source, typename Writer>
std::string TextOf(const Source& source, Writer write) {
  StringSink sink;
  EXPECT_TRUE(write(source, ExportFormat::Txt, sink, ExportProgress{}).ok());
  return sink.text;
}

TEST(WindowListsTest, TheLogGoesNewestRowFirstAndTheTreeWithItsVisibleNodes) {
  engine::ProcessNames processes([](int32_t) { return std::string("touch"); }, {});
  processes.Note(4711);
  engine::ChangeLog log(processes);
  log.AddEvent(Event("/a", engine::Action::kCreated, 0), "");
  engine::ChangeEvent written = Event("/b", engine::Action::kWritten, 5);
  written.pid = 4711;
  log.AddEvent(written, "bob");
  const std::string intern = engine::FormatInternText(3, 1);
  EXPECT_EQ(TextOf(ChangeLogList(log), WriteFlatList),
            "\tZeit\tAktion\tName\tName alt\tUser (Beta)\tIntern\tProzess\t\r\n"
            "\t10:00:00.005\tSchreiben\t/b\t\tbob\t" +
                intern +
                "\ttouch (4711)\t\r\n"
                "\t10:00:00.000\tErstellen\t/a\t\t\t" +
                intern + "\t\t\r\n");
  // The access tree exports its visible nodes.
  engine::AccessTree tree;
  tree.Add(Event("/d/a.txt", engine::Action::kCreated, 0));
  tree.Add(Event("/d/b.txt", engine::Action::kCreated, 0));
  const std::string slots = "\t\t\t\t\t\t\t\t\r\n";  // the seven other kinds, empty
  EXPECT_EQ(TextOf(AccessTreeList(tree), WriteTreeList),
            "Datei\tErstellzeit\tZugriff\tSchreiben\tDateigröße\tAttribute\tLöschen\tUmbennen\t"
            "Sicherheit\t\r\n"
            "/\t2" +
                slots + "   +d\t2" + slots + "       a.txt\t1" + slots + "       b.txt\t1" + slots);
  const auto onlyTop = [](TreeNodeId node) { return node == 1; };
  EXPECT_EQ(TextOf(AccessTreeList(tree, onlyTop), WriteTreeList).find("a.txt"), std::string::npos);
}

using testing::TreeData;

// /        (a sibling, net, follows)
//   home   (a sibling, tmp, follows)
//     a.txt, b.txt
//   tmp    collapsed, holds x
// net
//   share
struct SampleTree : TreeData {
  size_t tmp = 0;
  SampleTree() {
    layout = Columns({{"Datei", 170}, {"Zugriff", 80}, {"Schreiben", 80}});
    const size_t slash = Add(0, {"/", "3", ""});
    const size_t home = Add(slash, {"home", "2", ""});
    Add(home, {"a.txt", "1", ""});
    Add(home, {"b.txt", "", "1"});
    tmp = Add(slash, {"tmp", "1", ""}, false);
    Add(tmp, {"x", "1", ""});
    const size_t net = Add(0, {"net", "", ""});
    Add(net, {"share", "", ""});
  }
};

std::string Export(const TreeData& tree, ExportFormat format) {
  StringSink sink;
  EXPECT_TRUE(WriteTreeList(tree.Source(), format, sink).ok());
  return sink.text;
}

TEST(TreeExportTest, PrefixesShowSiblingsAndChildrenAndColumnsFollowTheDisplayOrder) {
  SampleTree tree;
  EXPECT_EQ(RenderTreeText(tree.Source()),
            "Datei\tZugriff\tSchreiben\t\n"
            "/\t3\t\t\r\n"
            "|  +home\t2\t\t\r\n"
            "|  |   a.txt\t1\t\t\r\n"
            "|  |   b.txt\t\t1\t\r\n"
            "|  +tmp\t1\t\t\r\n"  // collapsed: x is not written
            "net\t\t\t\r\n"
            "    share\t\t\t\r\n");
  tree.nodes[tree.tmp].expanded = true;
  EXPECT_NE(RenderTreeText(tree.Source()).find("|  +tmp\t1\t\t\r\n|      x\t1\t\t\r\n"),
            std::string::npos);
  // Levels beyond the tracked ones count as last siblings.
  TreeData deep;
  deep.layout = Columns({{"Datei", 170}});
  constexpr size_t kDepth = kTrackedTreeLevels + 3;
  size_t parent = 0;
  for (size_t depth = 0; depth <= kDepth; ++depth) {
    const size_t node = deep.Add(parent, {"n"});
    deep.Add(parent, {"leaf"});  // every level has a following sibling
    parent = node;
  }
  std::string deepest;
  for (size_t level = 0; level < kDepth; ++level)
    deepest += level < kTrackedTreeLevels ? "|  " : "   ";
  EXPECT_NE(RenderTreeText(deep.Source()).find("\r\n" + deepest + " n\t\r\n"), std::string::npos);
  // Text and CSV follow the display order and always keep the first shown column.
  SampleTree sample;
  sample.nodes[sample.tmp].expanded = true;
  sample.layout.columns[0].width = 5;   // not shown first: left out
  sample.layout.columns[1].width = 10;  // shown first: kept
  sample.layout.displayOrder = {1, 0, 2};
  const std::string txt = Export(sample, ExportFormat::Txt);
  EXPECT_EQ(txt.substr(0, txt.find("\r\n", txt.find("\r\n") + 2) + 2),
            "Zugriff\tSchreiben\t\r\n3\t\t\r\n");
  sample.layout.columns[0].width = 11;
  EXPECT_EQ(Export(sample, ExportFormat::Csv).substr(0, 50),
            "Zugriff;Datei;Schreiben;\r\n3;/;;\r\n2;|  +home;;\r\n1;|");
  // Hostile names stay in their field.
  TreeData hostile;
  hostile.layout = Columns({{"Datei", 170}, {"N", 80}});
  hostile.Add(0, {"a;b\t\"c\"\r\nd", "1"});
  EXPECT_EQ(Export(hostile, ExportFormat::Txt), "Datei\tN\t\r\na;b\\x09\"c\"\\x0d\\x0ad\t1\t\r\n");
  EXPECT_EQ(Export(hostile, ExportFormat::Csv),
            "Datei;N;\r\n\"a;b\\x09\"\"c\"\"\\x0d\\x0ad\";1;\r\n");
  // At most 160 columns are taken.
  TreeData wide;
  for (int column = 0; column < 162; ++column) {
    wide.layout.columns.push_back({"c" + std::to_string(column), 20});
  }
  wide.layout.displayOrder = {161, 160};  // a view reports every column
  for (int column = 0; column < 160; ++column) wide.layout.displayOrder.push_back(column);
  const std::string wideText = Export(wide, ExportFormat::Txt);
  EXPECT_EQ(std::count(wideText.begin(), wideText.end(), '\t'), 160);
  EXPECT_EQ(wideText.substr(0, 6), "c0\tc1\t");
  EXPECT_EQ(wideText.find("c160"), std::string::npos);
}

TEST(TreeExportTest, HtmlKeepsBlanksAndMarksTheHeaderLine) {
  TreeData tree;
  tree.layout = Columns({{"Datei", 170}, {"N", 80}});
  const size_t top = tree.Add(0, {"/", ""});
  tree.Add(top, {"a<b>", "1"});
  EXPECT_EQ(
      Export(tree, ExportFormat::Html),
      "<html><head><style><!-- \r\nbody,td,a,p,.h{font-family:courier,arial,sans-serif; "
      "font-size: 11px; }\r\n.h{font-size: 20px;}\r\n.q{color:#0000cc;}\r\n//-->\r\n"
      "</style></head>\r\n\r\n<body>\r\n\r\n\r\n"
      "<TABLE Border=0><TR>"
      "  <TR BGCOLOR=#EEEEEE><td><b><nobr>Datei</td><td><b><nobr>N</td>   </TR>\r\n"
      "  <TR><td><nobr>/</td><td>&nbsp;</td>   </TR>\r\n"
      "  <TR BGCOLOR=#EEEEEE><td><nobr> &nbsp; &nbsp;a&lt;b&gt;</td><td><nobr>1</td>   </TR>\r\n"
      "</TABLE></body></html>\r\n");
  // A cancel stops before the page is finished.
  SampleTree sample;
  StringSink sink;
  ExportProgress progress{[](size_t done, size_t total) { return total == 0 && done < 2; }, 1};
  const ExportResult result = WriteTreeList(sample.Source(), ExportFormat::Html, sink, progress);
  EXPECT_EQ(result.status, ExportStatus::Cancelled);
  EXPECT_EQ(result.rowsWritten, 2u);
  EXPECT_EQ(sink.text.find("</TABLE>"), std::string::npos);
}

}  // namespace
}  // namespace tavrek::lists
