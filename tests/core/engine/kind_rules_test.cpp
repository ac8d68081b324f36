// The rules that make the kinds of a change independent of when a file's
// status is read: each step changes the file "on disk", then hands the
// classifier one change as the kernel (or a rescan) would.
#include <gtest/gtest.h>

#include "core/engine/source/kind_classifier.h"

namespace tavrek::engine {
namespace {

constexpr StatusTime kBirth{1000, 0};
constexpr StatusTime kNow{1000, 4000000};  // a clock tick after the birth
constexpr StatusTime kPast{10, 0};         // as cp -p, tar or touch -d set it

enum class From { kKernel, kScan, kScanUntouched };
struct Step {
  RawAction action;
  void (*change)(FileStatus&);
  const char* kinds;
  From from = From::kKernel;
};

void Same(FileStatus&) {}
void Written(FileStatus& s) { s.size = 6, s.modifyTime = kNow; }
void Protected(FileStatus& s) { s.mode = 0100600; }
void Late(FileStatus& s) { Written(s), Protected(s); }
void TouchedNow(FileStatus& s) { s.accessTime = s.modifyTime = kNow; }
void TouchedPast(FileStatus& s) { s.accessTime = s.modifyTime = kPast; }

using enum RawAction;
const std::vector<Step> kCases[] = {
    // A new file starts empty with the default mode, however late it is read.
    {{kCreated, Late, "name creation "}, {kModified, Same, "write size "},
     {kAttrib, Same, "security "}},
    // A time set to now cannot be told from the making; one set before it can.
    {{kCreated, Same, "name creation "}, {kAttrib, TouchedNow, "attributes "},
     {kAttrib, TouchedPast, "write access "}},
    // A metadata change that shows nothing (read with the one before) is attributes.
    {{kCreated, Protected, "name creation "}, {kAttrib, Same, "security "},
     {kAttrib, Same, "attributes "}},
    // A file never seen: nothing to compare; a metadata change records no size.
    {{kAttrib, Protected, "attributes "}, {kModified, Written, "write size "},
     {kModified, Same, "write "}, {kAttrib, Same, "attributes "}},
    // A rescan reports only what differs from what was read (not assumed).
    {{kCreated, Protected, "name creation "}, {kAttrib, Same, "", From::kScan},
     {kModified, Written, "write size ", From::kScan}, {kModified, Same, "", From::kScan}},
    {{kAttrib, Same, "", From::kScanUntouched}, {kModified, Written, "write size ", From::kScan}},
};

TEST(KindRulesTest, KindsFollowTheRecordsNotTheMomentOfReading) {
  static constexpr const char* kNames[] = {"name",       "write",    "access",  "size",
                                           "attributes", "security", "creation"};
  struct Sink final : KindSink {
    void Add(WatcherKind kind, RecordAction, const std::string&, int32_t) override {
      kinds += std::string(kNames[kind]) + " ";
    }
    void AddRename(WatcherKind kind, const std::string&, const std::string&, int32_t) override {
      kinds += std::string(kNames[kind]) + " ";
    }
    std::string kinds;
  };
  for (size_t test = 0; test < std::size(kCases); ++test) {
    FileStatus disk{.inode = 7, .mode = 0100644, .linkCount = 1, .accessTime = kBirth,
                    .modifyTime = kBirth, .birthTime = kBirth, .birthKnown = true};
    KindSet all;
    all.fill(true);
    KindClassifier classifier(
        all, [&](const std::string&, bool) { return std::optional(disk); },
        [](int32_t) { return 022u; });
    for (size_t index = 0; index < kCases[test].size(); ++index) {
      const Step& step = kCases[test][index];
      step.change(disk);
      RawChange change;
      change.action = step.action;
      change.path = "/w/f";
      change.fromScan = step.from != From::kKernel;
      change.untouchedSinceMade = step.from == From::kScanUntouched;
      Sink sink;
      classifier.Classify(change, sink);
      EXPECT_EQ(sink.kinds, step.kinds) << "case " << test << ", step " << index;
    }
  }
}

}  // namespace
}  // namespace tavrek::engine
