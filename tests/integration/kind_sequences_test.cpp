// The kinds of a change must not depend on how fast changes follow each other
// or on when the watch gets to read a file's status: common sequences, run
// many times back to back and many times with a wait for the rows of every
// step, must give one kind set each.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>

#include "file_ops.h"
#include "source_fixture.h"

namespace tavrek::testing {
namespace {

// A run works on its own names: "f" the file, "t" a temporary one beside it.
struct RunNames {
  std::string f;
  std::string t;
};

bool Touch(const RunNames& names) {  // makes the file as touch(1) does
  const int fd = open(names.f.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  const bool timed = futimens(fd, nullptr) == 0;
  return close(fd) == 0 && timed;
}
bool Make(const RunNames& names) { return CreateEmpty(names.f); }
bool Append(const RunNames& names) { return AppendTo(names.f, "hello\n"); }
bool Protect(const RunNames& names) { return chmod(names.f.c_str(), 0600) == 0; }
bool SetAccessTimeNow(const RunNames& names) {
  const timespec times[2] = {{0, UTIME_NOW}, {0, UTIME_OMIT}};
  return utimensat(AT_FDCWD, names.f.c_str(), times, 0) == 0;
}
bool WriteTemporary(const RunNames& names) { return AppendTo(names.t, "data\n"); }
bool RenameOver(const RunNames& names) { return RenamePath(names.t, names.f); }

// Rows are "action name", the name being "f" or "t" of the run.
struct Step {
  bool (*operation)(const RunNames&);
  std::vector<std::string> rows;  // what this step adds to the log
};
struct Sequence {
  const char* title;
  bool oldFile;  // "f" exists before the watch starts
  std::vector<Step> steps;
};

// The kind set of a sequence is the union of the rows of its steps.
const Sequence kSequences[] = {
    {"new file then written",
     false,
     {{Touch, {"Erstellen f", "Änderung f", "Dateiattribute f"}},
      {Append, {"Schreiben f", "Dateigröße f"}}}},
    {"new file then mode",
     false,
     {{Make, {"Erstellen f", "Änderung f"}}, {Protect, {"Sicherheitseinstellung f"}}}},
    // A file the watch has no status of: its first metadata change cannot be told.
    {"old file written then mode",
     true,
     {{Append, {"Schreiben f", "Dateigröße f"}}, {Protect, {"Dateiattribute f"}}}},
    // The kernel reports a time set alone as a read (access) or write (modification).
    {"access time set", true, {{SetAccessTimeNow, {"Zugriffszeit f"}}}},
    {"written to a temporary name, renamed over",
     true,
     {{WriteTemporary, {"Erstellen t", "Änderung t", "Schreiben t", "Dateigröße t"}},
      {RenameOver, {"Umbennen t", "Änderung Name f"}}}},
};

constexpr int kRunsAtFullSpeed = 30;
constexpr int kRunsWithPauses = 6;
constexpr int kRuns = kRunsAtFullSpeed + kRunsWithPauses;

std::set<std::string> Expected(const Sequence& sequence) {
  std::set<std::string> rows;
  for (const Step& step : sequence.steps) rows.insert(step.rows.begin(), step.rows.end());
  return rows;
}

class KindSequencesTest : public SourceTest {
 protected:
  RunNames Names(size_t sequence, int run) const {
    const std::string f = Path("s" + std::to_string(sequence) + "-" + std::to_string(run));
    return {f, f + ".tmp"};
  }

  std::set<std::string> RowsOf(const RunNames& names) {
    std::set<std::string> rows;
    for (const engine::ChangeEvent& event : harness->events()) {
      if (event.path == names.f) rows.insert(std::string(event.action) + " f");
      if (event.path == names.t) rows.insert(std::string(event.action) + " t");
    }
    return rows;
  }

  bool WaitForRow(const RunNames& names, const std::string& row) {
    const size_t blank = row.rfind(' ');
    const std::string action = row.substr(0, blank);
    const std::string& path = row.substr(blank + 1) == "f" ? names.f : names.t;
    return harness->WaitFor([&](const engine::ChangeEvent& event) {
      return event.action == action && event.path == path;
    });
  }
};

TEST_P(KindSequencesTest, EachSequenceGivesOneKindSetAtAnySpeed) {
  for (size_t sequence = 0; sequence < std::size(kSequences); ++sequence) {
    if (!kSequences[sequence].oldFile) continue;
    for (int run = 0; run < kRuns; ++run) ASSERT_TRUE(AppendTo(Names(sequence, run).f, "old\n"));
  }
  Start();
  for (int run = 0; run < kRuns; ++run) {
    const bool pause = run >= kRunsAtFullSpeed;
    for (size_t sequence = 0; sequence < std::size(kSequences); ++sequence) {
      const RunNames names = Names(sequence, run);
      for (const Step& step : kSequences[sequence].steps) {
        ASSERT_TRUE(step.operation(names)) << names.f;
        for (const std::string& row : pause ? step.rows : std::vector<std::string>{}) {
          ASSERT_TRUE(WaitForRow(names, row)) << kSequences[sequence].title << ": " << row;
        }
      }
    }
  }
  ASSERT_TRUE(harness->Settle());
  for (size_t sequence = 0; sequence < std::size(kSequences); ++sequence) {
    for (int run = 0; run < kRuns; ++run) {
      EXPECT_EQ(RowsOf(Names(sequence, run)), Expected(kSequences[sequence]))
          << kSequences[sequence].title << ", run " << run
          << (run >= kRunsAtFullSpeed ? " with pauses" : " at full speed");
    }
  }
}

TAVREK_FOR_EVERY_BACKEND(KindSequencesTest);

}  // namespace
}  // namespace tavrek::testing
