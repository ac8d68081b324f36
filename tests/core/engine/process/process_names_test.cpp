// The process-name registry with a scripted /proc, and the column's text.
#include <unistd.h>

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "core/engine/change_log.h"
#include "core/engine/process/process_names.h"
#include "core/engine/process/process_text.h"
#include "core/engine/process/program_start.h"

namespace tavrek::engine {
namespace {

using namespace std::chrono_literals;
using Clock = ProcessNames::Clock;

// What /proc says now: a pid missing from `comm` has ended.
struct FakeProc {
  std::map<int32_t, std::string> comm;
  std::map<int32_t, std::string> exe{};
  int reads = 0;
  ProcessNames::NameReader Reader() {
    return [this](int32_t pid) -> std::optional<std::string> {
      ++reads;
      auto found = comm.find(pid);
      if (found == comm.end()) return std::nullopt;
      return found->second;
    };
  }
  ProcessNames::ExeReader ExeReader() {
    return [this](int32_t pid) -> std::optional<std::string> {
      auto found = exe.find(pid);
      return found == exe.end() ? std::nullopt : std::optional(found->second);
    };
  }
};

TEST(ProcessNamesTest, ReadsOncePerIntervalKeepsTheLastNameOfAnEndedProcessAndStaysBounded) {
  FakeProc proc{{{10, "sh"}}};
  ProcessNames names(proc.Reader(), {});
  const Clock::time_point start{};
  names.Note(10, start);
  names.Note(10, start + 50ms);
  EXPECT_EQ(proc.reads, 1);
  EXPECT_EQ(names.Name(10), "sh");
  proc.comm[10] = "touch";  // exec
  names.Note(10, start + 100ms);
  EXPECT_EQ(proc.reads, 2);
  EXPECT_EQ(names.Name(10), "touch");
  proc.comm.clear();
  names.Note(10, start + 1s);
  names.Note(11, start);
  EXPECT_EQ(names.Name(10), "touch");
  EXPECT_EQ(names.Name(11), "");
  EXPECT_EQ(names.Name(12), "");  // never noted
  names.Note(0);
  names.Note(-5);
  EXPECT_EQ(proc.reads, 4);  // no pid is never read
  // Names are kept once; both tables stay bounded.
  FakeProc many;
  for (int32_t pid = 1; pid <= 100; ++pid) many.comm[pid] = pid <= 50 ? "make" : "cc1plus";
  ProcessNames bounded(many.Reader(), {.refresh = 100ms, .maxPids = 8, .maxNames = 4});
  for (int32_t pid = 1; pid <= 100; ++pid) bounded.Note(pid, Clock::time_point{});
  EXPECT_EQ(bounded.NameCount(), 2u);
  EXPECT_EQ(bounded.PidCount(), 8u);
  EXPECT_EQ(bounded.Name(1), "");  // the oldest went
  EXPECT_EQ(bounded.Name(100), "cc1plus");
  for (int32_t pid = 200; pid < 210; ++pid) {
    many.comm[pid] = "job" + std::to_string(pid);
    bounded.Note(pid, Clock::time_point{});
    EXPECT_EQ(bounded.Name(pid), many.comm[pid]);
  }
  EXPECT_LE(bounded.NameCount(), 4u);
  EXPECT_LE(bounded.PidCount(), 8u);
  // A restarted pid keeps its place in the bounded table.
  ProcessNames restarted(FakeProc{}.Reader(), {.refresh = 100ms, .maxPids = 4, .maxNames = 16});
  for (const int32_t pid : {1, 2, 3, 1, 4, 5}) {
    restarted.Exec(pid, {"p" + std::to_string(pid), "", {}});
    restarted.Exec(pid, {"ld.so", "", {}});
  }
  EXPECT_EQ(restarted.PidCount(), 4u);
  EXPECT_EQ(restarted.Name(1), "p1");
  EXPECT_EQ(restarted.Name(2), "");
  // The real comm name is read from /many.
  const std::optional<std::string> own = ProcessNames::ReadCommName(getpid());
  ASSERT_TRUE(own.has_value());
  EXPECT_FALSE(own->empty());
  EXPECT_EQ(own->find('\n'), std::string::npos);
  EXPECT_FALSE(ProcessNames::ReadCommName(0).has_value());
  EXPECT_FALSE(ProcessNames::ReadCommName(INT32_MAX).has_value());  // above pid_max
}

// One exec opens the program, a script's interpreter, the ELF loader; the
// first names the process, as the kernel does, until /proc says otherwise.
TEST(ProcessNamesTest, AProgramStartNamesItsProcessUntilProcSaysOtherwiseAndRowsKeepTheirName) {
  FakeProc proc{{{12, "bash"}}};
  ProcessNames names(proc.Reader(), {}, proc.ExeReader());
  const auto exec = [&](int32_t pid, const char* file, const char* exe = "") {
    names.Exec(pid, {file, exe, 1000});
  };
  exec(10, "env", "/usr/bin/env");  // env starting another program in its place
  exec(10, "ld-linux-x86-64.so.2");
  exec(10, "a-very-long-program-name", "/opt/a-very-long-program-name");
  exec(10, "ld-linux-x86-64.so.2");
  exec(11, "backup.sh", "/home/a/backup.sh");
  exec(11, "dash", "/usr/bin/dash");
  exec(11, "ld.so");
  names.Note(11);  // ended before it was read
  EXPECT_EQ(names.Name(10), "a-very-long-pro");
  EXPECT_EQ(names.Facts(10).exe, "/opt/a-very-long-program-name");
  EXPECT_EQ(names.Facts(10).uid, 1000u);
  EXPECT_EQ(names.Name(11), "backup.sh");
  proc.comm[10] = "renamed";
  names.Note(10);  // still the name from before the exec, maybe
  EXPECT_EQ(names.Name(10), "a-very-long-pro");
  proc.exe[10] = "/usr/bin/env";  // held up in its exec for long
  names.Note(10, Clock::now() + 1s);
  EXPECT_EQ(names.Name(10), "a-very-long-pro");
  proc.exe[10] = "/opt/a-very-long-program-name";
  names.Note(10, Clock::now() + 2s);
  EXPECT_EQ(names.Name(10), "renamed");
  names.Note(12);
  proc.comm.clear();
  exec(12, "touch");  // the pid reused: its old name goes
  names.Note(12, Clock::now() + 1s);
  EXPECT_EQ(names.Name(12), "touch");
  // Log rows take the name known when they are added.
  FakeProc logged{{{4711, "touch"}}};
  ProcessNames known(logged.Reader(), {});
  known.Note(4711, Clock::now());
  ChangeLog log(known);
  ChangeEvent event;
  event.path = "/w/a";
  event.pid = 4711;
  log.AddEvent(event, "");
  event.pid = 4712;  // ended before its record was read
  log.AddEvent(event, "");
  event.pid = 0;  // the kernel did not tell
  log.AddEvent(event, "");
  log.AddStatus({}, "Start", "/w/");
  logged.comm[4711] = "rm";  // exec: later rows show the new name, earlier ones keep theirs
  known.Note(4711, Clock::now() + 1s);
  event.pid = 4711;
  log.AddEvent(event, "");
  EXPECT_EQ(log.CellText(0, kLogColumnProcess), "touch (4711)");
  EXPECT_EQ(log.CellText(1, kLogColumnProcess), "(4712)");
  EXPECT_EQ(log.CellText(2, kLogColumnProcess), "");
  EXPECT_EQ(log.CellText(3, kLogColumnProcess), "");
  EXPECT_EQ(log.CellText(4, kLogColumnProcess), "rm (4711)");
  log.Clear();
  log.AddEvent(event, "");
  EXPECT_EQ(log.CellText(0, kLogColumnProcess), "rm (4711)");
}

TEST(ProgramStartTest, AScriptNamesItsInterpreterAndAProgramNone) {
  const struct {
    std::string head;
    bool known;
    const char* interpreter;
  } cases[] = {
      {"#!/usr/bin/env bash\nexec touch", true, "/usr/bin/env"},
      {"#! \t/bin/sh -e\n", true, "/bin/sh"},
      {std::string("\x7f" "ELF\x02\x01", 6), true, ""},
      {"#!" + std::string(300, 'x'), false, ""},  // cut off where the kernel stops reading
      {"#!\n", false, ""},
      {"MZ", false, ""},
  };
  for (const auto& test : cases) {
    const ProgramStart start = ParseProgramStart(test.head);
    EXPECT_EQ(start.known, test.known) << test.head;
    EXPECT_EQ(start.interpreter, test.interpreter) << test.head;
  }
}

// The kernel merges a process's later records of a file into its earlier
// one (the ELF loader's above all), so where a loader record lies says
// little; the scripts' "#!" lines tell which program file is an interpreter
// and which a program started in its place.
TEST(ProcessNamesTest, AWrapperIsNamedAfterTheProgramItEndsIn) {
  const std::map<std::string, ProgramStart> files = {
      {"/w/envwrap", {true, "/usr/bin/env", "/usr/bin/env"}},
      {"/w/binwrap", {true, "/bin/bash", "/usr/bin/bash"}},
      {"/usr/bin/env", {true, "", ""}},
      {"/usr/bin/bash", {true, "", ""}},
      {"/usr/bin/touch", {true, "", ""}},
  };
  const auto read = [&](const std::string& path) {
    const auto found = files.find(path);
    return found == files.end() ? ProgramStart{} : found->second;
  };
  const struct {
    std::vector<std::string> opened;  // "ld": the loader
    const char* name;
  } cases[] = {
      {{"/w/envwrap", "/usr/bin/env", "ld", "/usr/bin/bash", "/usr/bin/touch"}, "touch"},
      {{"/w/envwrap", "/usr/bin/env", "ld", "/usr/bin/bash", "ld", "/usr/bin/touch", "ld"},
       "touch"},
      {{"/w/binwrap", "/usr/bin/bash", "ld", "/usr/bin/touch"}, "touch"},
      {{"/w/binwrap", "/usr/bin/bash", "/usr/bin/bash", "ld"}, "binwrap"},  // told twice
      {{"/w/gone", "/usr/bin/bash", "ld"}, "gone"},  // unreadable: the old way
  };
  int32_t pid = 100;
  for (const auto& test : cases) {
    ProcessNames names(FakeProc{}.Reader(), {}, FakeProc{}.ExeReader(), read);
    for (const std::string& path : test.opened) {
      const std::string file =
          path == "ld" ? "ld-linux-x86-64.so.2" : path.substr(path.rfind('/') + 1);
      names.Exec(pid, {file, path == "ld" ? "/lib64/" + file : path, 0});
    }
    EXPECT_EQ(names.Name(pid), test.name) << test.opened.front() << " " << test.opened.size();
    ++pid;
  }
  // Half way through an exec /proc shows the new program file with the old name.
  FakeProc proc{{{7, "bash"}}, {{7, "/usr/bin/python3.11"}}};
  ProcessNames names(proc.Reader(), {}, proc.ExeReader(), read);
  names.Exec(7, {"bash", "/usr/bin/bash", 0});
  names.Exec(7, {"ld.so", "", 0});
  names.Exec(7, {"python3.11", "/usr/bin/python3.11", 0});
  names.Note(7, Clock::now() + 1s);
  EXPECT_EQ(names.Name(7), "python3.11");
  proc.comm[7] = "python3";  // started through a link of that name
  names.Note(7, Clock::now() + 2s);
  EXPECT_EQ(names.Name(7), "python3");
}

}  // namespace
}  // namespace tavrek::engine
