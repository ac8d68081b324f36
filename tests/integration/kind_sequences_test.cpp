// Common sequences, run many times back to back and many times waiting for
// the rows of every step, must each give one kind set, whenever the watch
// gets to read a file's status.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <set>

#include "file_ops.h"
#include "source_fixture.h"
#include "support/wait_until.h"

namespace tavrek::testing {
namespace {

// A run works on its own file f and a temporary t beside it.
enum Operation { kTouch, kMake, kAppend, kProtect, kSetAccessTime, kWriteTemporary, kRenameOver };

bool Do(Operation operation, const std::string& f, const std::string& t) {
  const timespec accessTimeNow[2] = {{0, UTIME_NOW}, {0, UTIME_OMIT}};
  switch (operation) {
    case kTouch: {  // as touch(1) makes a file
      const int fd = open(f.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
      return fd >= 0 && futimens(fd, nullptr) == 0 && close(fd) == 0;
    }
    case kMake: return CreateEmpty(f);
    case kAppend: return AppendTo(f, "hello\n");
    case kProtect: return chmod(f.c_str(), 0600) == 0;
    case kSetAccessTime: return utimensat(AT_FDCWD, f.c_str(), accessTimeNow, 0) == 0;
    case kWriteTemporary: return AppendTo(t, "data\n");
    case kRenameOver: return RenamePath(t, f);
  }
  return false;
}

struct Step {
  Operation operation;
  std::vector<std::string> rows;  // "action f" or "action t": what the step adds to the log
};
struct Sequence {
  const char* title;
  bool oldFile;  // f exists before the watch starts
  std::vector<Step> steps;
};

const Sequence kSequences[] = {
    {"new file, written", false,
     {{kTouch, {"Erstellen f", "Änderung f", "Dateiattribute f"}},
      {kAppend, {"Schreiben f", "Dateigröße f"}}}},
    {"new file, mode", false,
     {{kMake, {"Erstellen f", "Änderung f"}}, {kProtect, {"Sicherheitseinstellung f"}}}},
    // No status of an old file is known: its first metadata change cannot be told.
    {"old file written, mode", true,
     {{kAppend, {"Schreiben f", "Dateigröße f"}}, {kProtect, {"Dateiattribute f"}}}},
    // The kernel reports an access time set alone as a read.
    {"access time set", true, {{kSetAccessTime, {"Zugriffszeit f"}}}},
    {"temporary renamed over", true,
     {{kWriteTemporary, {"Erstellen t", "Änderung t", "Schreiben t", "Dateigröße t"}},
      {kRenameOver, {"Umbennen t", "Änderung Name f"}}}},
    // At full speed the new file has its new name before its status is read.
    {"new file written, renamed, mode", false,
     {{kWriteTemporary, {"Erstellen t", "Änderung t", "Schreiben t", "Dateigröße t"}},
      {kRenameOver, {"Umbennen t", "Änderung Name f"}},
      {kProtect, {"Sicherheitseinstellung f"}}}},
};

constexpr int kRunsAtFullSpeed = 30;
constexpr int kRuns = kRunsAtFullSpeed + 6;  // the rest wait for each step's rows

class KindSequencesTest : public SourceTest {
 protected:
  std::string File(size_t sequence, int run) const {
    return Path("s" + std::to_string(sequence) + "-" + std::to_string(run));
  }
  std::set<std::string> Rows(const std::string& f) {
    std::set<std::string> rows;
    for (const engine::ChangeEvent& event : harness->events()) {
      if (event.path == f) rows.insert(std::string(engine::ActionText(event.action)) + " f");
      if (event.path == f + ".t") rows.insert(std::string(engine::ActionText(event.action)) + " t");
    }
    return rows;
  }
};

TEST_P(KindSequencesTest, EachSequenceGivesOneKindSetAtAnySpeed) {
  for (size_t sequence = 0; sequence < std::size(kSequences); ++sequence) {
    for (int run = 0; run < kRuns && kSequences[sequence].oldFile; ++run) {
      ASSERT_TRUE(AppendTo(File(sequence, run), "old\n"));
    }
  }
  Start();
  for (int run = 0; run < kRuns; ++run) {
    for (size_t sequence = 0; sequence < std::size(kSequences); ++sequence) {
      const std::string f = File(sequence, run);
      std::set<std::string> rows;
      for (const Step& step : kSequences[sequence].steps) {
        ASSERT_TRUE(Do(step.operation, f, f + ".t")) << f;
        rows.insert(step.rows.begin(), step.rows.end());
        if (run < kRunsAtFullSpeed) continue;
        ASSERT_TRUE(WaitUntil([&] { return std::ranges::includes(Rows(f), rows); }))
            << kSequences[sequence].title << " with pauses";
      }
    }
  }
  ASSERT_TRUE(harness->Settle());
  for (size_t sequence = 0; sequence < std::size(kSequences); ++sequence) {
    std::set<std::string> expected;
    for (const Step& step : kSequences[sequence].steps) {
      expected.insert(step.rows.begin(), step.rows.end());
    }
    for (int run = 0; run < kRuns; ++run) {
      EXPECT_EQ(Rows(File(sequence, run)), expected) << kSequences[sequence].title << ", " << run;
    }
  }
}

TAVREK_FOR_EVERY_BACKEND(KindSequencesTest);

}  // namespace
}  // namespace tavrek::testing
