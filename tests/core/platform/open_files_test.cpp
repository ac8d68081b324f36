// The JSON reader and what is read with it: the files Samba has open.
#include "core/platform/open_files.h"

#include <unistd.h>

#include <atomic>
#include <future>

#include <gtest/gtest.h>

#include "core/platform/json_reader.h"
#include "core/platform/run_program.h"
#include "support/wait_until.h"

namespace tavrek::platform {
namespace {

// The layout Samba 4.17+ prints for `smbstatus -L --json`, cut to what is
// read and a few nested fields that are skipped.
constexpr std::string_view kSmbstatus = R"({
  "version": "4.17.12-Debian",
  "sessions": {
    "3615207869": {"server_id": {"pid": "1234", "task_id": "0"}, "uid": 1001, "gid": 1001,
                   "username": "bernd", "encryption": {"cipher": "", "degree": "none"}}
  },
  "open_files": {
    "/srv/daten/Bericht Q1.docx": {
      "service_path": "/srv/daten", "fileid": {"devid": 2049, "inode": 131090, "extid": 0},
      "opens": {
        "1234/7": {"username": "anna", "uid": 1000, "oplock": {},
                   "lease": {"lease_key": "a1b2", "READ": true, "text": "RWH"}},
        "1240/9": {"uid": 1001, "share_file_id": "9", "oplock": {}, "lease": {}}
      }
    },
    "/srv/daten/Gr\u00f6\u00dfe.txt": {"opens": {"1250/3": {"uid": 1002, "share_file_id": "3"}}},
    "/srv/daten/no-opens.txt": {"service_path": "/srv/daten", "filename": "no-opens.txt"}
  }
})";

TEST(JsonReaderTest, ReadsNestedValuesRejectsWhatIsNotJsonAndListsSambasOpens) {
  const auto value = ParseJson(
      R"( { "b": [1, -2.5e1, true, false, null], "a": {"x": "\u00e4\ud834\udd1e\n\"\\\/"},
           "b": "second", "big": 12345678901234 } )");
  ASSERT_TRUE(value);
  ASSERT_EQ(value->type(), JsonValue::Type::Object);
  ASSERT_EQ(value->size(), 4u);
  EXPECT_EQ(value->keyAt(1), "a");
  const JsonValue* list = value->Find("b");  // the first member of a repeated name
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->size(), 5u);
  EXPECT_EQ(list->at(0).integer(), 1);
  EXPECT_EQ(list->at(1).number(), -25.0);
  EXPECT_EQ(list->at(1).integer(), std::nullopt);
  EXPECT_TRUE(list->at(2).boolean());
  EXPECT_EQ(list->at(4).type(), JsonValue::Type::Null);
  EXPECT_EQ(value->Find("a")->Find("x")->text(), "ä𝄞\n\"\\/");
  EXPECT_EQ(value->Find("big")->integer(), 12345678901234);
  EXPECT_EQ(value->Find("missing"), nullptr);
  EXPECT_EQ(list->Find("anything"), nullptr);
  // Lone surrogates become replacement characters.
  EXPECT_EQ(ParseJson(R"("\ud800x\udc00")")->text(), "\xEF\xBF\xBDx\xEF\xBF\xBD");
  // What is not JSON is refused.
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  const std::string_view rows[] = {
      "", "{", "{\"a\" 1}", "{\"a\":1,}", "[1 2]", "\"open", "tru", "01x", "{} extra",
      "{\"a\":\"\\q\"}", "{\"a\":\"\\u12\"}", "nul", deep,
  };
  for (std::string_view text : rows) EXPECT_FALSE(ParseJson(text)) << text.substr(0, 20);
  // What smbstatus prints: every open with its user, nothing for unreadable output.
  const OpenFileList expected = {
      {"/srv/daten/Bericht Q1.docx", "anna"},
      {"/srv/daten/Bericht Q1.docx", "bernd"},  // no name: the session of its uid
      {"/srv/daten/Größe.txt", "1002"},          // unknown uid: the number
  };
  EXPECT_EQ(ParseSmbstatusJson(kSmbstatus), expected);
  EXPECT_EQ(ParseSmbstatusJson("WARNING: something\n" + std::string(kSmbstatus)), expected);
  // Unreadable or empty output gives no files.
  const std::string_view broken[] = {
      "", "garbage", "{\"open_files\": [1, 2]}", "{\"open_files\": {\"/a\": {\"opens\": 5}}}",
      "{\"sessions\": {}, \"open_files\": {}}",
      R"({"open_files": {"/a": {"opens": {"1/1": {"uid": "x"}}}}})",
      "\xFF\xFE{{{", "[]",
  };
  for (std::string_view text : broken) EXPECT_TRUE(ParseSmbstatusJson(text).empty()) << text;
}

TEST(OpenFilesMonitorTest, RefreshesLazilyAtMostOncePerPeriodStopsPromptlyAndEmptiesOnFailure) {
  std::atomic<int> calls{0};
  {
    OpenFilesMonitor monitor([&calls] { return ++calls, std::optional<std::string>(kSmbstatus); },
                             std::chrono::hours(1));
    EXPECT_TRUE(monitor.Snapshot()->size() <= 3u);  // never waits for the first answer
    ASSERT_TRUE(tavrek::testing::WaitUntil([&] { return monitor.Snapshot()->size() == 3; }));
    for (int i = 0; i < 1000; ++i) monitor.Snapshot();
    // Destroyed while waiting out the hour before the next refresh.
  }
  EXPECT_EQ(calls.load(), 1);
  // Asked without a pause, it keeps refreshing and empties on failure.
  std::atomic<int> asked{0};
  std::atomic<bool> failing{false};
  OpenFilesMonitor busy(
      [&]() -> std::optional<std::string> {
        ++asked;
        if (failing) return std::nullopt;
        return std::string(kSmbstatus);
      },
      std::chrono::milliseconds(0));
  ASSERT_TRUE(tavrek::testing::WaitUntil([&] { return busy.Snapshot()->size() == 3; }));
  failing = true;
  ASSERT_TRUE(tavrek::testing::WaitUntil([&] { return busy.Snapshot()->empty(); }));
  const int before = asked.load();
  EXPECT_TRUE(tavrek::testing::WaitUntil([&] {
    busy.Snapshot();
    return asked.load() >= before + 2;
  }));
}

TEST(OpenFilesMonitorTest, SnapshotNeverWaitsForARunningLister) {
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::atomic<bool> started{false};
  OpenFilesMonitor monitor(
      [&]() -> std::optional<std::string> {
        started = true;
        released.wait();
        return std::string(kSmbstatus);
      },
      std::chrono::milliseconds(0));
  monitor.Snapshot();
  ASSERT_TRUE(tavrek::testing::WaitUntil([&] { return started.load(); }));
  EXPECT_TRUE(monitor.Snapshot()->empty());  // the lister is still blocked
  release.set_value();
  EXPECT_TRUE(tavrek::testing::WaitUntil([&] { return monitor.Snapshot()->size() == 3; }));
  // Without a lister the snapshot stays empty.
  OpenFilesMonitor idle(OpenFilesMonitor::Runner{});
  EXPECT_TRUE(idle.Snapshot()->empty());
  if (FindProgram("smbstatus").empty() || geteuid() != 0) {
    EXPECT_FALSE(OpenFilesMonitor::DefaultRunner());
  }
}

TEST(RunProgramTest, FindsProgramsByPlainNameAndGivesOutputOfSuccessfulRunsOnly) {
  const std::string shell = FindProgram("sh");
  const auto run = [&shell](const std::string& script, size_t maxOutput = 1 << 20) {
    return RunProgram(shell, {"sh", "-c", script}, std::chrono::seconds(20), maxOutput);
  };
  EXPECT_EQ(run("printf 'a\\nb'; echo err >&2"), "a\nb");
  EXPECT_EQ(run("head -c 300000 /dev/zero"), std::string(300000, '\0'));
  EXPECT_EQ(run("echo partial; exit 3"), std::nullopt);
  EXPECT_EQ(run("kill -9 $$"), std::nullopt);
  EXPECT_EQ(run("head -c 5000 /dev/zero", 4096), std::nullopt);
  EXPECT_EQ(RunProgram("/nonexistent/program", {"x"}, std::chrono::seconds(5)), std::nullopt);
  // A program that outlives its time is killed.
  EXPECT_EQ(RunProgram(shell, {"sh", "-c", "exec sleep 600"}, std::chrono::milliseconds(50)),
            std::nullopt);
  // Programs are found by their plain name only.
  EXPECT_TRUE(shell.ends_with("/sh"));
  EXPECT_EQ(FindProgram("no-such-program-tavrek"), "");
  EXPECT_EQ(FindProgram(""), "");
  EXPECT_EQ(FindProgram("bin/sh"), "");
}

}  // namespace
}  // namespace tavrek::platform
