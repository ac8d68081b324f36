// tavrek-watch driven as a user drives it: through its command line, a pipe
// and signals.
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine/process/process_names.h"
#include "core/platform/cp1252.h"
#include "core/platform/json_reader.h"
#include "support/temp_folder.h"
#include "support/wait_until.h"
#include "watch_process.h"

namespace {

using tavrek::testing::TempFolder;
using tavrek::testing::WatchProcess;

std::string ReadWholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  while (true) {
    size_t end = line.find('\t', start);
    fields.push_back(line.substr(start, end - start));
    if (end == std::string::npos) return fields;
    start = end + 1;
  }
}

TEST(WatchCliTest, CheckPrintsTheFilterDecisionPerPath) {
  WatchProcess process({"--exclude", "*.log;*.tmp", "--check", "/a/b.LOG", "/a/c.txt"});
  EXPECT_EQ(process.ReadLine(), "filtered\t/a/b.LOG");
  EXPECT_EQ(process.ReadLine(), "passes\t/a/c.txt");
  EXPECT_EQ(process.Wait(), 0);
  WatchProcess json({"--format", "json", "--exclude", "*.log", "--check", "/a/b.log", "/a/\xff"});
  EXPECT_EQ(json.ReadLine(), R"({"result":"filtered","path":"/a/b.log"})");
  EXPECT_EQ(json.ReadLine(), R"({"result":"passes","path_b64":"L2Ev/w=="})");
  EXPECT_EQ(json.Wait(), 0);
}

TEST(WatchCliTest, PrintsEachRowAtOnceAndStopsCleanlyOnSignal) {
  for (int stopSignal : {SIGINT, SIGTERM}) {
    TempFolder folder;
    WatchProcess process({"--exclude", "*.skip", folder.path().string()});
    auto start = process.ReadLine();
    ASSERT_TRUE(start);
    std::vector<std::string> fields = Fields(*start);
    ASSERT_EQ(fields.size(), 7u) << *start;
    EXPECT_EQ(fields[1], "Starte Überwachung 8");
    EXPECT_EQ(fields[2], folder.path().string());
    EXPECT_EQ(fields[6], "");  // a status row has no process

    folder.Write("a.skip");
    folder.Write("new file.txt", "data");
    auto created = process.ReadLineWith("\tErstellen\t");
    ASSERT_TRUE(created);
    fields = Fields(*created);
    EXPECT_EQ(fields[2], folder.path().string() + "/new file.txt");
    EXPECT_EQ(fields[6 - 1].substr(2), " (ID:0)");  // intern: position and kind
    // The writer is this test: named where the kernel tells (fanotify), else empty.
    const std::string writer = *tavrek::engine::ProcessNames::ReadCommName(getpid()) + " (" +
                               std::to_string(getpid()) + ")";
    EXPECT_TRUE(fields[6].empty() || fields[6] == writer) << fields[6];
    // A hostile name is printed escaped, on one valid line.
    folder.Write("a\x1b[2Jb\\c\xff\td\ne");
    const auto hostile = process.ReadLineWith("/a\\x1b[2Jb");
    ASSERT_TRUE(hostile);
    EXPECT_TRUE(tavrek::platform::IsValidUtf8(*hostile));
    EXPECT_EQ(Fields(*hostile)[2], folder.path().string() + "/a\\x1b[2Jb\\\\c\\xff\\x09d\\x0ae");

    process.Signal(stopSignal);
    auto stop = process.ReadLineWith("Stoppe Überwachung ");
    ASSERT_TRUE(stop);
    EXPECT_EQ(Fields(*stop)[2], folder.path().string());
    EXPECT_EQ(process.Wait(), 0);
  }
}

TEST(WatchCliTest, OutputThatCannotBeWrittenIsAFailureAClosedPipeIsNone) {
  TempFolder folder;
  for (const auto& arguments :
       {std::vector<std::string>{folder.path().string()}, {"--check", "/a"}, {"--help"}}) {
    WatchProcess full(arguments, {"sh", "-c", "exec \"$@\" > /dev/full", "sh"});
    EXPECT_EQ(full.Wait(), 1) << arguments[0];
    EXPECT_NE(full.ReadErrors().find("cannot write the output: No space left on device"),
              std::string::npos);
  }
  // A reader that went away ends the watch at once, with nothing changing,
  // as at the next change.
  for (const bool changeAfter : {false, true}) {
    WatchProcess piped({folder.path().string()});
    ASSERT_TRUE(piped.ReadLineWith("Starte Überwachung"));
    piped.CloseOutput();
    if (changeAfter) folder.Write("after the reader left");
    EXPECT_EQ(piped.Wait(), 0);
    EXPECT_EQ(piped.ReadErrors(), "");
  }
}

// Bad command lines exit with 2, folders that cannot be watched with 1 or 2.
// Output written into the watched folder would report its own writes for ever.
TEST(WatchCliTest, OutputIntoTheWatchedFolderLeavesItsOwnChangesOut) {
  TempFolder folder;
  WatchProcess run({folder.path().string()}, {"sh", "-c", "exec \"$0\" \"$@\" > out.txt"},
                   folder.path().string());
  const std::string out = (folder / "out.txt").string();
  ASSERT_TRUE(tavrek::testing::WaitUntil([&] {
    return ReadWholeFile(out).find("Starte") != std::string::npos;
  }));
  folder.Write("kept.txt");
  ASSERT_TRUE(tavrek::testing::WaitUntil([&] {
    return ReadWholeFile(out).find("kept.txt") != std::string::npos;
  }));
  run.Signal(SIGTERM);
  EXPECT_EQ(run.Wait(), 0);
  EXPECT_EQ(ReadWholeFile(out).find("out.txt"), std::string::npos);
  EXPECT_NE(run.ReadErrors().find("out.txt are not printed"), std::string::npos);
}

TEST(WatchCliTest, WhatCannotBeWatchedEndsWithAMessage) {
  TempFolder folder;
  const std::string file = folder.Write("plain.txt");
  const std::string named = "tavrek-watch: ";
  struct Case {
    std::vector<std::string> arguments;
    int exitCode;
    std::string message;
  };
  const Case cases[] = {
      {{}, 2, named}, {{"--bogus", "/tmp"}, 2, named}, {{"--backend", "smoke", "/tmp"}, 2, named},
      {{"--log-filter-mode", "7", "/tmp"}, 2, named}, {{"--include"}, 2, named},
      {{"--poll-interval", "1000000", "/tmp"}, 2, "at most 86400"},
      {{""}, 2, "empty folder name"},
      {{(folder.path() / "missing").string(), file}, 1, "no folder can be watched"},
  };
  for (const Case& test : cases) {
    WatchProcess process(test.arguments);
    EXPECT_EQ(process.Wait(), test.exitCode);
    const std::string errors = process.ReadErrors();
    EXPECT_NE(errors.find(test.message), std::string::npos) << errors;
    EXPECT_EQ(errors.find("terminate"), std::string::npos) << errors;
  }
}

TEST(WatchCliTest, ForcedFanotifyThatCannotStartIsAnError) {
  // Inside a user namespace of its own even root may not mark a file system.
  std::vector<std::string> wrapper;
  if (geteuid() == 0) {
    WatchProcess probe({"--help"}, {"unshare", "--user", "--map-root-user"});
    if (probe.Wait() != 0) GTEST_SKIP() << "no user namespace here";
    wrapper = {"unshare", "--user", "--map-root-user"};
  }
  TempFolder folder;
  WatchProcess process({"--backend", "fanotify", folder.path().string()}, wrapper);
  EXPECT_EQ(process.Wait(), 2);
  EXPECT_NE(process.ReadErrors().find("fanotify cannot watch"), std::string::npos);
}

TEST(WatchCliTest, AFolderIsOneArgumentCommasAndAllMadeAbsolute) {
  TempFolder folder;
  folder.Write("wf,comma/.keep");
  WatchProcess process({"--only", "creation", "./x/../wf,comma/"}, {}, folder.path().string());
  const std::string watched = folder.path().string() + "/wf,comma";
  auto start = process.ReadLine();
  ASSERT_TRUE(start);
  EXPECT_EQ(Fields(*start)[2], watched);
  process.Signal(SIGTERM);
  // One folder only: every status row names it.
  while (auto line = process.ReadLine()) EXPECT_EQ(Fields(*line)[2], watched) << *line;
  EXPECT_EQ(process.Wait(), 0);
  EXPECT_EQ(process.ReadErrors(), "");
}

// A missing folder is reported once, with why, and the rest watched; once
// every folder has gone the program ends with 1. Polling too sees its folder
// go, and what it held deleted before.
TEST(WatchCliTest, MissingFoldersAreReportedAndTheWatchEndsWhenEveryFolderHasGone) {
  for (const char* backend : {"inotify", "poll"}) {
    SCOPED_TRACE(backend);
    TempFolder folder;
    const std::string watched = folder.path().string() + "/gone";
    folder.Write("gone/.keep");
    const std::string exported = folder.path().string() + "/log.txt";
    WatchProcess process({"--backend", backend, "--poll-interval", "0.1", "--only",
                          "rename,delete", "--export", exported,
                          (folder.path() / "missing").string(), watched});
    ASSERT_TRUE(process.ReadLineWith("Starte Überwachung 2"));
    folder.Write("gone/sub/deep.txt");  // --only names kinds of change; sub-folders stay watched
    EXPECT_TRUE(process.ReadLineWith("/sub/deep.txt"));
    std::filesystem::remove_all(watched);
    EXPECT_TRUE(process.ReadLineWith("\tLöschen\t" + watched + "/.keep"));
    EXPECT_TRUE(process.ReadLineWith("\tAbbruch\t"));
    EXPECT_EQ(process.Wait(), 1);
    const std::string errors = process.ReadErrors();
    const std::string missing = "missing (Fehler: no such folder)";
    EXPECT_NE(errors.find(missing), std::string::npos) << errors;
    EXPECT_EQ(errors.find(missing), errors.rfind(missing)) << errors;
    EXPECT_NE(errors.find("nothing is left to watch"), std::string::npos) << errors;
    // Only the folder that started gets a stop row: not the missing one, nor "/".
    const std::string printed = process.seen() + process.ReadRest();
    for (const std::string& rows : {printed, ReadWholeFile(exported)}) {
      for (const std::string row : {"Starte Überwachung 2\t", "Stoppe Überwachung \t"}) {
        EXPECT_EQ(rows.find(row), rows.rfind(row)) << rows;  // one of each
        EXPECT_NE(rows.find(row + watched + "\t"), std::string::npos) << rows;
      }
    }
  }
}

std::string DecodeBase64(std::string_view text) {
  constexpr std::string_view kAlphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string bytes;
  uint32_t bits = 0;
  int count = 0;
  for (const char c : text) {
    if (c == '=') break;
    bits = bits << 6 | static_cast<uint32_t>(kAlphabet.find(c));
    if ((count += 6) >= 8) bytes += static_cast<char>(bits >> (count -= 8) & 0xFF);
  }
  return bytes;
}

// The path of a row: as text, or from base64 when it is no UTF-8.
std::string PathOf(const tavrek::platform::JsonValue& row) {
  if (const tavrek::platform::JsonValue* text = row.Find("path")) return text->text();
  const tavrek::platform::JsonValue* bytes = row.Find("path_b64");
  return bytes ? DecodeBase64(bytes->text()) : std::string();
}

// --format json read back by a JSON parser: every hostile name comes back
// byte for byte, as text or as base64 of its bytes.
TEST(WatchCliTest, HostileNamesComeBackFromJsonByteForByte) {
  TempFolder folder;
  WatchProcess process({"--format", "json", "--no-access", folder.path().string()});
  const auto start = process.ReadLine();
  ASSERT_TRUE(start);
  const auto first = tavrek::platform::ParseJson(*start);
  ASSERT_TRUE(first) << *start;
  EXPECT_EQ(first->Find("kind")->text(), "start");
  EXPECT_TRUE(first->Find("ns")->integer());
  for (const std::string name : {"line\nfeed", "tab\tname", "esc\x1b[31m", "bad\xff\xfe",
                                 "back\\slash", "quo\"te"}) {
    const std::string path = (folder.path() / name).string();
    std::ofstream(path).put('x');
    bool found = false;
    while (!found) {
      const auto line = process.ReadLine();
      ASSERT_TRUE(line) << "no row for " << path;
      const auto row = tavrek::platform::ParseJson(*line);
      ASSERT_TRUE(row) << *line;
      found = PathOf(*row) == path && row->Find("kind")->text() == "created";
      if (found && row->Find("pid")->integer() == getpid()) {
        EXPECT_TRUE(row->Find("uid")->integer()) << *line;
      }
    }
  }
}

}  // namespace
