#include "core/lists/tree_export.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/lists/tree_text.h"
#include "list_fixtures.h"

namespace tavrek::lists {
namespace {

using testing::Columns;
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

TEST(TreeTextTest, PrefixesShowFollowingSiblingsAndChildrenUpToTheTrackedLevels) {
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
}

TEST(TreeExportTest, TextAndCsvFollowTheDisplayOrderKeepTheFirstShownColumnAndHostileNamesInTheirField) {
  SampleTree tree;
  tree.nodes[tree.tmp].expanded = true;
  tree.layout.columns[0].width = 5;   // not shown first: left out
  tree.layout.columns[1].width = 10;  // shown first: kept
  tree.layout.displayOrder = {1, 0, 2};
  const std::string txt = Export(tree, ExportFormat::Txt);
  EXPECT_EQ(txt.substr(0, txt.find("\r\n", txt.find("\r\n") + 2) + 2),
            "Zugriff\tSchreiben\t\r\n3\t\t\r\n");
  tree.layout.columns[0].width = 11;
  EXPECT_EQ(Export(tree, ExportFormat::Csv).substr(0, 50),
            "Zugriff;Datei;Schreiben;\r\n3;/;;\r\n2;|  +home;;\r\n1;|");
  // Hostile names stay in their field.
  TreeData hostile;
  hostile.layout = Columns({{"Datei", 170}, {"N", 80}});
  hostile.Add(0, {"a;b\t\"c\"\r\nd", "1"});
  EXPECT_EQ(Export(hostile, ExportFormat::Txt), "Datei\tN\t\r\na;b \"c\"  d\t1\t\r\n");
  EXPECT_EQ(Export(hostile, ExportFormat::Csv), "Datei;N;\r\n\"a;b \"\"c\"\"  d\";1;\r\n");
}

TEST(TreeExportTest, TakesAtMost160Columns) {
  TreeData tree;
  for (int column = 0; column < 162; ++column) {
    tree.layout.columns.push_back({"c" + std::to_string(column), 20});
  }
  tree.layout.displayOrder = {161, 160};  // a view reports every column
  for (int column = 0; column < 160; ++column) tree.layout.displayOrder.push_back(column);
  const std::string txt = Export(tree, ExportFormat::Txt);
  EXPECT_EQ(std::count(txt.begin(), txt.end(), '\t'), 160);
  EXPECT_EQ(txt.substr(0, 6), "c0\tc1\t");
  EXPECT_EQ(txt.find("c160"), std::string::npos);
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
}

TEST(TreeExportTest, CancelStopsBeforeThePageIsFinished) {
  SampleTree tree;
  StringSink sink;
  ExportProgress progress{[](size_t done, size_t total) { return total == 0 && done < 2; }, 1};
  const ExportResult result = WriteTreeList(tree.Source(), ExportFormat::Html, sink, progress);
  EXPECT_EQ(result.status, ExportStatus::Cancelled);
  EXPECT_EQ(result.rowsWritten, 2u);
  EXPECT_EQ(sink.text.find("</TABLE>"), std::string::npos);
}

}  // namespace
}  // namespace tavrek::lists
