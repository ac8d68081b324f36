// tavrek-watch --export: the change log written when the watch stops.
#include <signal.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/platform/file_io.h"
#include "support/temp_folder.h"
#include "watch_process.h"

namespace {

using tavrek::testing::TempFolder;
using tavrek::testing::WatchProcess;

std::string ReadFile(const std::string& path) { return tavrek::platform::ReadWholeFile(path).bytes; }

// A closed terminal (SIGHUP) stops the watch as Ctrl+C does.
TEST(WatchCliExportTest, TheLogIsWrittenAtTheStopInEachFormatAsked) {
  TempFolder watched;
  TempFolder out;
  const std::string csv = (out / "log.CSV").string();
  const std::string xls = (out / "log.xls").string();
  const std::string unwritable = out.Write("gone by the stop/.keep").parent_path() / "log.txt";
  WatchProcess watch({"--export", csv, "--export", unwritable, "--export", xls, watched.path().string()});
  ASSERT_TRUE(watch.ReadLineWith("Starte Überwachung"));
  watched.Write("new;file.txt", "data");
  ASSERT_TRUE(watch.ReadLineWith("/new;file.txt"));
  std::filesystem::remove_all(out / "gone by the stop");
  watch.Signal(SIGHUP);
  EXPECT_TRUE(watch.ReadLineWith("Stoppe Überwachung"));
  EXPECT_EQ(watch.Wait(), 1);  // one of the three could not be written
  EXPECT_NE(watch.ReadErrors().find("gone by the stop/log.txt"), std::string::npos);

  const std::string text = ReadFile(csv);
  // Every column of the log, each in quotes and followed by ";", lines CR LF.
  EXPECT_EQ(text.substr(0, text.find("\r\n")),
            "\"\";\"Zeit\";\"Aktion\";\"Name\";\"Name alt\";\"User (Beta)\";\"Intern\";\"Prozess\";");
  EXPECT_NE(text.find("\"Erstellen\";\"" + watched.path().string() + "/new;file.txt\";"),
            std::string::npos);
  // The stop row is the newest, so it comes first.
  const size_t firstRow = text.find("\r\n") + 2;
  EXPECT_NE(text.substr(firstRow, text.find("\r\n", firstRow) - firstRow).find("Stoppe"),
            std::string::npos);
  EXPECT_EQ(ReadFile(xls).substr(0, 4), std::string("\x09\x00\x04\x00", 4));  // BIFF2 BOF
}

// A wrong extension is a wrong command line and shows the usage; a target
// that cannot be written is named with its reason alone.
TEST(WatchCliExportTest, AnExportThatCannotBeWrittenIsRefusedBeforeTheWatch) {
  TempFolder watched;
  watched.Write("plain/.keep");
  watched.Write("folder.csv/.keep");
  ASSERT_EQ(mkfifo((watched / "pipe.csv").c_str(), 0600), 0);
  ASSERT_EQ(chmod(watched.Write("kept.txt", "old").c_str(), 0444), 0);
  struct Case {
    std::string name, message;
    bool usage;
  };
  const Case cases[] = {
      {"log.htm", "--export takes", true}, {"log", "--export takes", true},
      {".csv", "--export takes", true},
      {"missing/log.csv", "missing/log.csv: No such file or directory", false},
      {"plain/.keep/log.csv", "Not a directory", false},
      {"folder.csv", "folder.csv: Is a directory", false},
      {"pipe.csv", "pipe.csv: not a regular file", false},
      {"kept.txt", "kept.txt: write-protected", false},
      {"a\x1b[2J/log.txt", "a\\x1b[2J/log.txt", false},
  };
  for (const auto& [name, message, usage] : cases) {
    WatchProcess watch({"--export", (watched / name).string(), watched.path().string()});
    EXPECT_EQ(watch.Wait(), 2) << name;
    const std::string errors = watch.ReadErrors();
    EXPECT_NE(errors.find(message), std::string::npos) << name;
    EXPECT_EQ(errors.find("usage:") != std::string::npos, usage) << name;
    EXPECT_EQ(watch.ReadRest(), "") << name;
  }
  // Nothing was made on the way: the folder holds what the test put there.
  const auto entries = std::filesystem::directory_iterator(watched.path());
  EXPECT_EQ(std::distance(begin(entries), end(entries)), 4);
  EXPECT_EQ(ReadFile((watched / "kept.txt").string()), "old");
}

}  // namespace
