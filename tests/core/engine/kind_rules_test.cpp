// The rules that make the kinds of a change independent of when the status
// of a file is read: each step changes the file "on disk" and hands the
// classifier one change, as the kernel or a rescan would.
#include <gtest/gtest.h>

#include <map>

#include "core/engine/source/kind_classifier.h"
#include "core/engine/watch_session.h"

namespace tavrek::engine {
namespace {

constexpr uint32_t kUmask = 022;
constexpr StatusTime kBirth{1000, 0};
constexpr StatusTime kNow{1000, 4000000};  // a clock tick after the birth
constexpr StatusTime kPast{10, 0};         // as cp -p, tar or touch -d set it

FileStatus Fresh() {
  FileStatus status;
  status.inode = 7;
  status.mode = 0100644;
  status.linkCount = 1;
  status.accessTime = status.modifyTime = status.birthTime = kBirth;
  status.birthKnown = true;
  return status;
}

enum class From { kKernel, kScan, kScanUntouched };
struct Step {
  RawAction action;
  void (*change)(FileStatus&);
  std::vector<std::string> kinds;
  From from = From::kKernel;
};
struct Case {
  const char* what;
  std::vector<Step> steps;
};

void Same(FileStatus&) {}
void Written(FileStatus& s) { s.size = 6, s.modifyTime = kNow; }
void Protected(FileStatus& s) { s.mode = 0100600; }
void TouchedNow(FileStatus& s) { s.accessTime = s.modifyTime = kNow; }
void TouchedPast(FileStatus& s) { s.accessTime = s.modifyTime = kPast; }
void WrittenAndProtected(FileStatus& s) { Written(s), Protected(s); }

const Case kCases[] = {
    {"a new file starts empty with the default mode, however late it is read",
     {{RawAction::kCreated, WrittenAndProtected, {"name", "creation"}},
      {RawAction::kModified, Same, {"write", "size"}},
      {RawAction::kAttrib, Same, {"security"}}}},
    {"a time set to now on a new file cannot be told from its making",
     {{RawAction::kCreated, Same, {"name", "creation"}},
      {RawAction::kAttrib, TouchedNow, {"attributes"}},
      {RawAction::kAttrib, TouchedPast, {"write", "access"}}}},
    {"a time set before the birth can",
     {{RawAction::kCreated, Same, {"name", "creation"}},
      {RawAction::kAttrib, TouchedPast, {"write", "access"}}}},
    {"a metadata change that shows nothing repeats the last one that did",
     {{RawAction::kCreated, Same, {"name", "creation"}},
      {RawAction::kAttrib, Protected, {"security"}},
      {RawAction::kAttrib, Same, {"security"}}}},
    {"a file never seen: a write reads size and time only, a metadata change no size",
     {{RawAction::kModified, Written, {"write", "size"}},
      {RawAction::kAttrib, Protected, {"attributes"}},
      {RawAction::kModified, Same, {"write"}},
      {RawAction::kAttrib, Protected, {"attributes"}}}},
    {"a metadata change leaves the size to the next write",
     {{RawAction::kAttrib, Protected, {"attributes"}},
      {RawAction::kModified, Same, {"write", "size"}}}},
    {"a rescan reports only what differs from the record",
     {{RawAction::kCreated, Protected, {"name", "creation"}},
      {RawAction::kAttrib, Same, {}, From::kScan},  // the assumed mode is no finding
      {RawAction::kModified, Written, {"write", "size"}, From::kScan},
      {RawAction::kModified, Same, {}, From::kScan}}},
    {"a rescan of a file never seen goes by its times",
     {{RawAction::kAttrib, Same, {}, From::kScanUntouched},
      {RawAction::kModified, Written, {"write", "size"}, From::kScan}}},
};

TEST(KindRulesTest, KindsFollowTheRecordsNotTheMomentOfReading) {
  static constexpr const char* kNames[] = {"name",       "write",    "access",  "size",
                                           "attributes", "security", "creation"};
  struct Sink final : KindSink {
    void Add(WatcherKind kind, uint32_t, const std::string&, int32_t) override {
      kinds.push_back(kNames[kind]);
    }
    std::vector<std::string> kinds;
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    FileStatus disk = Fresh();
    KindSet all;
    all.fill(true);
    KindClassifier classifier(
        all, [&](const std::string&, bool) { return std::optional(disk); },
        [](int32_t) { return kUmask; });
    for (size_t index = 0; index < c.steps.size(); ++index) {
      const Step& step = c.steps[index];
      step.change(disk);
      RawChange change;
      change.action = step.action;
      change.path = "/w/f";
      change.fromScan = step.from != From::kKernel;
      change.untouchedSinceMade = step.from == From::kScanUntouched;
      Sink sink;
      classifier.Classify(change, sink);
      EXPECT_EQ(sink.kinds, step.kinds) << "step " << index;
    }
  }
}

TEST(KindRulesTest, StatusRowsOfABatchCarryTheTimeOfItsChanges) {
  WatchSession session;
  platform::SystemTime time;
  time.hour = 1, time.minute = 2, time.second = 3, time.milliseconds = 4;
  EventBatch batch;
  batch.generation = session.generation();
  batch.time = time;
  batch.overflows = 1;
  batch.folder = "/w/";
  batch.notesBefore.push_back({"before", "/w/"});
  batch.events.emplace_back().path = "/w/f";
  batch.events.back().time = time;
  batch.notesAfter.push_back({"after", "/w/"});
  session.queue().Push(std::move(batch));
  const size_t before = session.log().size();
  session.ProcessPending();
  ASSERT_EQ(session.log().size(), before + 4);
  for (size_t row = before; row < session.log().size(); ++row) {
    EXPECT_EQ(session.log().CellText(row, kLogColumnTime), "01:02:03.004") << row;
  }
}

}  // namespace
}  // namespace tavrek::engine
