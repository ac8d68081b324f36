// tavrek-watch and setup documents: printing, saving and watching one.
#include <signal.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/platform/file_io.h"
#include "core/platform/visible_text.h"
#include "support/temp_folder.h"
#include "watch_process.h"

namespace {

using tavrek::testing::TempFolder;
using tavrek::testing::WatchProcess;

std::string Bytes(const std::string& path) { return tavrek::platform::ReadWholeFile(path).bytes; }

int Exit(std::vector<std::string> arguments, std::string* output = nullptr) {
  WatchProcess run(std::move(arguments));
  std::string rest = run.ReadRest();
  if (output) *output = rest;
  return run.Wait();
}

TEST(WatchCliSetupTest, ShowSetupPrintsTheRowsAWindowWouldLoad) {
  TempFolder folder;
  const auto document = folder.Write(
      "a.tvk", "[dir]\r\n/srv/b\r\n/srv/A\r\n/srv/Tab\there\xC2\x9B\r\n[Filter]\r\n*.bak\r\n*.log=1=1\r\n"
               "[Optionen]\r\nLoeschen=0\r\nStartWatch=1\r\nfilter_typ=1\r\n");
  std::string output;
  EXPECT_EQ(Exit({"--show-setup", document.string()}, &output), 0);
  EXPECT_EQ(output,
            "folder\t/srv/A\nfolder\t/srv/Tab\\x09here\\xc2\\x9b\nfolder\t/srv/b\n"
            "filter\t*.bak\t0\tNur diese Dateien überwachen\n"
            "filter\t*.log\t1\tDiese Dateien nicht überwachen\n"
            "option\tUmbennen\t1\noption\tLoeschen\t0\noption\tSchreiben\t1\noption\tZugriff\t1\n"
            "option\tDateigroesse\t1\noption\tAtribute\t1\noption\tSicherheit\t1\n"
            "option\tErstellzeit\t1\noption\tUnterverzeichnise\t1\nStartWatch\t1\nfilter_typ\t1\n");

  const std::string fifo = (folder / "fifo.tvk").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string terminalControl = (folder / "a\x1b]0;title\x07.tvk").string();
  std::string noise(100'000, '\0');
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>(i * 2654435761u >> 13);
  const std::string random = folder.Write("random.tvk", noise).string();
  for (const std::string& bad :
       {(folder / "missing.tvk").string(), fifo, terminalControl, random}) {
    WatchProcess run({"--show-setup", bad});
    output = run.ReadRest();
    EXPECT_EQ(run.Wait(), 1) << bad;
    EXPECT_EQ(output, "");
    // Named as the rows name files: escaped, never driving the terminal.
    EXPECT_NE(run.ReadErrors().find("tavrek-watch: cannot open " +
                                    tavrek::platform::VisibleText(bad) + " ("),
              std::string::npos);
  }
}

TEST(WatchCliSetupTest, SaveSetupWritesTheDocumentReplacesOnlyWithForceAndNamesWhatItLeavesOut) {
  TempFolder folder;
  const std::string base = (folder / "saved").string();
  const std::vector<std::string> arguments{
      "--save-setup", base, "--exclude", "*.tmp;*.log", "--no-size", "--log-filter-mode", "1",
      (folder / "b").string(), (folder / "a").string()};
  EXPECT_EQ(Exit(arguments), 0);
  const std::string expected =
      "[DIR]\r\n" + (folder / "a").string() + "\r\n" + (folder / "b").string() + "\r\n" +
      "[Filter]\r\n*.tmp=1=1\r\n*.log=1=1\r\n[Optionen]\r\nUmbennen=1\r\nLoeschen=1\r\n"
      "Schreiben=1\r\nZugriff=1\r\nDateigroesse=0\r\nAtribute=1\r\nSicherheit=1\r\n"
      "Erstellzeit=1\r\nUnterverzeichnise=1\r\nStartWatch=0\r\nfilter_typ=1\r\n";
  EXPECT_EQ(Bytes(base + ".tvk"), expected);

  // Another name: ".TVK" is kept as it is.
  EXPECT_EQ(Exit({"--save-setup", base + ".TVK", "--start-watch", folder.path().string()}), 0);
  WatchProcess again({"--save-setup", base, "--start-watch", folder.path().string()});
  again.ReadRest();
  EXPECT_EQ(again.Wait(), 1);
  EXPECT_NE(again.ReadErrors().find("exists already"), std::string::npos);
  EXPECT_EQ(Bytes(base + ".tvk"), expected);

  EXPECT_EQ(Exit({"--save-setup", base, "--force", "--start-watch", folder.path().string()}), 0);
  EXPECT_NE(Bytes(base + ".tvk").find("\r\nStartWatch=1\r\nfilter_typ=0\r\n"), std::string::npos);

  // What the document cannot carry is named, and the rest saved.
  const std::string file = (folder / "partial.tvk").string();
  WatchProcess save({"--save-setup", file, "--include", "data=1", (folder / "\xDC" "ber").string()});
  save.ReadRest();
  EXPECT_EQ(save.Wait(), 0);
  EXPECT_EQ(save.ReadErrors(), "tavrek-watch: left out of " + file + ": folder \"" +
                                   folder.path().string() + "/\\xdcber\": not valid UTF-8\n" +
                                   "tavrek-watch: left out of " + file +
                                   ": filter \"data=1\": \"=\" in the pattern\n");
}

TEST(WatchCliSetupTest, WatchesWhatTheDocumentSaysWithTheCommandLineOnTop) {
  TempFolder folder;
  TempFolder watched;
  const auto document = folder.Write(
      "w.tvk", "[DIR]\r\n" + watched.path().string() + "\r\n[Filter]\r\n*.skip=1=1\r\n"
               "[Optionen]\r\nUnterverzeichnise=0\r\n");
  WatchProcess run({"--setup", document.string(), "--exclude", "*.also"});
  ASSERT_TRUE(run.ReadLineWith("Starte Überwachung"));
  watched.Write("a.skip");
  watched.Write("b.also");
  watched.Write("sub/deep.txt");  // sub-folders are off in the document
  watched.Write("kept.txt");
  const auto kept = run.ReadLineWith("kept.txt");
  ASSERT_TRUE(kept);
  run.Signal(SIGTERM);
  const std::string rest = run.ReadRest();
  EXPECT_EQ(run.Wait(), 0);
  for (const char* hidden : {"a.skip", "b.also", "deep.txt"}) {
    EXPECT_EQ((run.seen() + rest).find(hidden), std::string::npos) << hidden;
  }
  // A document that cannot be read is its reason alone, without the usage.
  WatchProcess missing({"--setup", (folder / "missing.tvk").string()});
  EXPECT_EQ(missing.Wait(), 2);
  const std::string errors = missing.ReadErrors();
  EXPECT_EQ(errors.find("usage:"), std::string::npos);
  EXPECT_EQ(errors, "tavrek-watch: cannot open " + (folder / "missing.tvk").string() +
                        " (no such file)\n");
}

// A path to check has no process behind it: "only these processes" must not
// turn every path away.
TEST(WatchCliSetupTest, CheckDecidesByThePathRowsAndSaysSo) {
  TempFolder folder;
  const auto document = folder.Write(
      "p.tvk", "[DIR]\r\n/tmp\r\n[Filter]\r\n*.skip=1=1\r\n[Prozessfilter]\r\ntouch=1=0\r\n");
  WatchProcess run({"--setup", document.string(), "--check", "/a/x.skip", "/a/y.txt"});
  EXPECT_EQ(run.ReadLine(), "filtered\t/a/x.skip");
  EXPECT_EQ(run.ReadLine(), "passes\t/a/y.txt");
  EXPECT_EQ(run.Wait(), 0);
  EXPECT_NE(run.ReadErrors().find("process rows are not applied"), std::string::npos);
}

}  // namespace

// A folder the document has polled is polled; --backend still serves all.
TEST(WatchCliSetupTest, HonoursTheDocumentsChoiceUnlessABackendIsForced) {
  TempFolder folder;
  TempFolder watched;
  const auto document = folder.Write(
      "c.tvk", "[DIR]\r\n" + watched.path().string() + "/\r\n[Ueberwachungsart]\r\npoll=" +
                   watched.path().string() + "/\r\n");
  for (const bool forced : {false, true}) {
    WatchProcess run(forced ? std::vector<std::string>{"--setup", document.string(), "--backend",
                                                       "inotify"}
                            : std::vector<std::string>{"--setup", document.string()});
    ASSERT_TRUE(run.ReadLineWith("Starte Überwachung"));
    watched.Write(forced ? "forced.txt" : "chosen.txt");
    const auto row = run.ReadLineWith(forced ? "forced.txt" : "chosen.txt");
    ASSERT_TRUE(row);
    EXPECT_EQ(row->find("abgefragt") != std::string::npos, !forced) << *row;
  }
}
