#include <gtest/gtest.h>

#include "core/engine/action.h"
#include "core/lists/access_lists.h"
#include "core/lists/change_log_list.h"
#include "core/lists/flat_export.h"
#include "core/lists/tree_export.h"

namespace tavrek::lists {
namespace {

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
std::string Export(const Source& source, Writer write) {
  StringSink sink;
  EXPECT_TRUE(write(source, ExportFormat::Txt, sink, ExportProgress{}).ok());
  return sink.text;
}

TEST(WindowListsTest, ChangeLogExportsNewestRowFirstWithTheWindowsColumns) {
  engine::ProcessNames processes([](int32_t) { return std::string("touch"); }, {});
  processes.Note(4711);
  engine::ChangeLog log(processes);
  log.AddEvent(Event("/a", engine::Action::kCreated, 0), "");
  engine::ChangeEvent written = Event("/b", engine::Action::kWritten, 5);
  written.pid = 4711;
  log.AddEvent(written, "bob");
  const std::string intern = engine::FormatInternText(3, 1);
  EXPECT_EQ(Export(ChangeLogList(log), WriteFlatList),
            "\tZeit\tAktion\tName\tName alt\tUser (Beta)\tIntern\tProzess\t\r\n"
            "\t10:00:00.005\tSchreiben\t/b\t\tbob\t" +
                intern +
                "\ttouch (4711)\t\r\n"
                "\t10:00:00.000\tErstellen\t/a\t\t\t" +
                intern + "\t\t\r\n");
}

TEST(WindowListsTest, AccessTreeExportsItsVisibleNodes) {
  engine::AccessTree tree;
  tree.Add(Event("/d/a.txt", engine::Action::kCreated, 0));
  tree.Add(Event("/d/b.txt", engine::Action::kCreated, 0));
  const std::string slots = "\t\t\t\t\t\t\t\t\r\n";  // the seven other kinds, empty
  EXPECT_EQ(Export(AccessTreeList(tree), WriteTreeList),
            "Datei\tErstellzeit\tZugriff\tSchreiben\tDateigröße\tAttribute\tLöschen\tUmbennen\t"
            "Sicherheit\t\r\n"
            "/\t2" +
                slots + "   +d\t2" + slots + "       a.txt\t1" + slots + "       b.txt\t1" + slots);
  const auto onlyTop = [](TreeNodeId node) { return node == 1; };
  EXPECT_EQ(Export(AccessTreeList(tree, onlyTop), WriteTreeList).find("a.txt"), std::string::npos);
}

}  // namespace
}  // namespace tavrek::lists
