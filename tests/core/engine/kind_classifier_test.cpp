// The kinds a change is told as, from the statuses the classifier keeps.
#include "core/engine/source/kind_classifier.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <map>
#include <set>

#include "core/engine/action.h"
#include "core/engine/source/status_store.h"

namespace tavrek::engine {
namespace {

KindSet AllKinds() {
  KindSet kinds;
  kinds.fill(true);
  return kinds;
}

// The classifier over statuses a test sets, as if on disk.
class KindClassifierTest : public ::testing::Test {
 protected:
  // A classifier of the running `kinds` that reads `disk`, counting its reads.
  KindClassifier Make(KindSet kinds) {
    return KindClassifier(kinds, [this](const std::string& path, bool withAttributes) {
      ++reads;
      if (withAttributes) ++attributeReads;
      auto found = disk.find(path);
      if (found == disk.end()) return std::optional<FileStatus>();
      FileStatus status = found->second;
      if (!withAttributes) {
        status.attributesKnown = false;
        status.securityAttributes = status.otherAttributes = 0;
      }
      return std::optional<FileStatus>(status);
    });
  }

  // "kind action path" of every record of one change.
  std::vector<std::string> Run(RawAction action, const std::string& path,
                               const std::string& oldPath = {}, bool isDirectory = false) {
    RawChange change;
    change.action = action;
    change.path = path;
    change.oldPath = oldPath;
    change.isDirectory = isDirectory;
    TextSink sink;
    classifier.Classify(change, sink);
    return sink.texts;
  }

  // "kind action path" of every record.
  struct TextSink final : KindSink {
    void Add(WatcherKind kind, RecordAction action, const std::string& path, int32_t) override {
      texts.push_back(std::to_string(kind) + " " + std::to_string(action) + " " + path);
    }
    void AddRename(WatcherKind kind, const std::string& oldPath, const std::string& newPath,
                   int32_t pid) override {
      Add(kind, kRecordRenamedOldName, oldPath, pid);
      Add(kind, kRecordRenamedNewName, newPath, pid);
    }
    std::vector<std::string> texts;
  };

  using Texts = std::vector<std::string>;
  std::map<std::string, FileStatus> disk;
  int reads = 0;
  int attributeReads = 0;
  KindClassifier classifier = Make(AllKinds());
};

TEST_F(KindClassifierTest, NamesAndCreationOfEveryMoveAndSizesThatChanged) {
  disk["/w/f"] = {};
  EXPECT_EQ(Run(RawAction::kCreated, "/w/f"), (Texts{"0 1 /w/f", "6 3 /w/f"}));
  EXPECT_EQ(Run(RawAction::kMovedIn, "/w/g"), (Texts{"0 1 /w/g", "6 3 /w/g"}));
  EXPECT_EQ(Run(RawAction::kRenamed, "/w/h", "/w/f"), (Texts{"0 4 /w/f", "0 5 /w/h"}));
  EXPECT_EQ(Run(RawAction::kDeleted, "/w/h"), (Texts{"0 2 /w/h"}));
  EXPECT_EQ(Run(RawAction::kMovedOut, "/w/g"), (Texts{"0 2 /w/g"}));
  EXPECT_EQ(classifier.recordedCount(), 0u);
  // The size is reported when it changed or cannot be compared.
  disk["/w/f"].size = 0;
  Run(RawAction::kCreated, "/w/f");
  disk["/w/f"].size = 6;  // read late, with the first write in it: a new file starts empty
  EXPECT_EQ(Run(RawAction::kModified, "/w/f"), (Texts{"1 3 /w/f", "3 3 /w/f"}));
  EXPECT_EQ(Run(RawAction::kModified, "/w/f"), (Texts{"1 3 /w/f"}));
  disk["/w/f"].size = 5;
  EXPECT_EQ(Run(RawAction::kModified, "/w/f"), (Texts{"1 3 /w/f", "3 3 /w/f"}));
  disk["/w/f"].size = 0;
  EXPECT_EQ(Run(RawAction::kModified, "/w/f"), (Texts{"1 3 /w/f", "3 3 /w/f"}));
  // Unknown before (never seen) and unreadable now (gone) both count as changed.
  disk["/w/old"].size = 3;
  EXPECT_EQ(Run(RawAction::kModified, "/w/old"), (Texts{"1 3 /w/old", "3 3 /w/old"}));
  disk.erase("/w/old");
  EXPECT_EQ(Run(RawAction::kModified, "/w/old"), (Texts{"1 3 /w/old", "3 3 /w/old"}));
  EXPECT_EQ(classifier.RecordedStatus("/w/old"), nullptr);
}

TEST_F(KindClassifierTest, MetadataChangesCompareWithTheLastStatus) {
  EXPECT_EQ(Run(RawAction::kAttrib, "/w/f"), (Texts{"4 3 /w/f"}));  // nothing known
  disk["/w/f"].mode = 0100644;
  disk["/w/f"].securityAttributes = 1;
  disk["/w/f"].otherAttributes = 1;
  EXPECT_EQ(Run(RawAction::kAttrib, "/w/f"), (Texts{"4 3 /w/f"}));  // no earlier status
  disk["/w/f"].mode = 0100600;
  EXPECT_EQ(Run(RawAction::kAttrib, "/w/f"), (Texts{"5 3 /w/f"}));
  disk["/w/f"].accessTime.seconds = 5;
  EXPECT_EQ(Run(RawAction::kAccessed, "/w/f"), (Texts{"2 3 /w/f"}));
  disk["/w/f"].modifyTime.seconds = 6;
  disk["/w/f"].accessTime.seconds = 6;
  EXPECT_EQ(Run(RawAction::kAttrib, "/w/f"), (Texts{"1 3 /w/f", "2 3 /w/f"}));
  // A write reads no attributes; the ones read before still count. No size
  // was recorded: metadata changes leave it alone.
  EXPECT_EQ(Run(RawAction::kModified, "/w/f"), (Texts{"1 3 /w/f", "3 3 /w/f"}));
  disk["/w/f"].securityAttributes = 2;
  EXPECT_EQ(Run(RawAction::kAttrib, "/w/f"), (Texts{"5 3 /w/f"}));
  disk["/w/f"].otherAttributes = 2;
  disk["/w/f"].linkCount = 2;
  EXPECT_EQ(Run(RawAction::kAttrib, "/w/f"), (Texts{"4 3 /w/f"}));
}

TEST_F(KindClassifierTest, StatusesFollowRenamesAndLeaveWithDeletions) {
  disk["/w/d"].mode = 040755;
  disk["/w/d/f"].mode = 0100644;
  disk["/w/dx"].mode = 0100644;
  Run(RawAction::kCreated, "/w/d", {}, true);
  Run(RawAction::kCreated, "/w/d/f");
  Run(RawAction::kCreated, "/w/dx");
  Run(RawAction::kRenamed, "/w/e", "/w/d", true);
  EXPECT_EQ(classifier.RecordedStatus("/w/d/f"), nullptr);
  ASSERT_NE(classifier.RecordedStatus("/w/e/f"), nullptr);
  ASSERT_NE(classifier.RecordedStatus("/w/dx"), nullptr);  // a sibling, not below

  disk["/w/e/f"].mode = 0100600;
  EXPECT_EQ(Run(RawAction::kAttrib, "/w/e/f"), (Texts{"5 3 /w/e/f"}));
  Run(RawAction::kDeleted, "/w/e", {}, true);
  EXPECT_EQ(classifier.RecordedStatus("/w/e/f"), nullptr);
  EXPECT_EQ(classifier.recordedCount(), 1u);
  // A file renamed onto an existing one replaces its status.
  disk["/w/y"].mode = 0100444;
  Run(RawAction::kCreated, "/w/y");
  Run(RawAction::kRenamed, "/w/y", "/w/dx");
  EXPECT_EQ(classifier.RecordedStatus("/w/y")->mode, 0100644u);
  // A write handled after the file was renamed away keeps its mode for the new name.
  disk["/w/a"].mode = 0100644;
  Run(RawAction::kCreated, "/w/a");
  disk["/w/b"] = disk["/w/a"];
  disk.erase("/w/a");
  Run(RawAction::kModified, "/w/a");
  Run(RawAction::kRenamed, "/w/b", "/w/a");
  disk["/w/b"].mode = 0100600;
  EXPECT_EQ(Run(RawAction::kAttrib, "/w/b"), (Texts{"5 3 /w/b"}));
  // A new file renamed before it was ever read: the mode it was made with
  // still counts under the new name, its owner is the first read's.
  disk["/w/n"] = disk["/w/a"];
  disk["/w/n"].uid = 1000;
  disk["/w/n"].mode = 0100600;
  Run(RawAction::kCreated, "/w/t");
  Run(RawAction::kModified, "/w/t");
  Run(RawAction::kRenamed, "/w/n", "/w/t");
  EXPECT_EQ(Run(RawAction::kAttrib, "/w/n"), (Texts{"5 3 /w/n"}));
  EXPECT_EQ(classifier.RecordedStatus("/w/n")->uid, 1000u);
  EXPECT_EQ(Run(RawAction::kAttrib, "/w/n"), (Texts{"4 3 /w/n"}));
}

TEST_F(KindClassifierTest, HardLinksReportAttributesForTheOtherKnownNames) {
  disk["/w/f"].inode = 7;
  disk["/w/f"].linkCount = 1;
  disk["/w/other"].inode = 8;
  disk["/w/other"].linkCount = 1;
  Run(RawAction::kCreated, "/w/f");
  Run(RawAction::kCreated, "/w/other");
  Run(RawAction::kRenamed, "/w/d/f", "/w/f");  // the index follows renames
  disk["/w/d/f"] = disk["/w/f"];
  disk["/w/d/f"].linkCount = disk["/w/g"].linkCount = 2;
  disk["/w/g"].inode = 7;
  EXPECT_EQ(Run(RawAction::kCreated, "/w/g"), (Texts{"0 1 /w/g", "6 3 /w/g", "4 3 /w/d/f"}));
  EXPECT_EQ(classifier.RecordedStatus("/w/d/f")->linkCount, 2u);
  EXPECT_EQ(Run(RawAction::kDeleted, "/w/g"), (Texts{"0 2 /w/g", "4 3 /w/d/f"}));
  EXPECT_EQ(classifier.RecordedStatus("/w/d/f")->linkCount, 1u);
  EXPECT_EQ(Run(RawAction::kDeleted, "/w/d/f"), (Texts{"0 2 /w/d/f"}));
}

// The last change of a burst leaves a new file's status to be read once the
// rows are out: the kinds, and a second name's rows, are those of a read at once.
TEST_F(KindClassifierTest, ANewFilesStatusReadAfterItsRowsGivesTheSameKinds) {
  disk["/w/f"].inode = 7;
  disk["/w/f"].linkCount = 1;
  disk["/w/f"].size = 6;
  disk["/w/f"].mode = S_IFREG | 0600;  // not what a new file is made with
  const auto change = [](RawAction action, const std::string& path) {
    RawChange made;
    made.action = action;
    made.path = path;
    return made;
  };
  Texts atOnce = Run(RawAction::kCreated, "/w/f");
  for (const RawAction action : {RawAction::kAttrib, RawAction::kModified}) {
    for (const std::string& text : Run(action, "/w/f")) atOnce.push_back(text);
  }
  KindClassifier later = Make(AllKinds());
  TextSink sink;
  later.ClassifyPuttingOff(change(RawAction::kCreated, "/w/f"), sink);
  EXPECT_TRUE(later.HasPutOff());
  EXPECT_EQ(later.RecordedStatus("/w/f"), nullptr);
  later.Classify(change(RawAction::kAttrib, "/w/f"), sink);
  later.Classify(change(RawAction::kModified, "/w/f"), sink);
  EXPECT_EQ(sink.texts, atOnce);

  disk["/w/g"] = disk["/w/f"];
  disk["/w/g"].linkCount = 2;
  TextSink rows;
  TextSink afterRows;
  later.ClassifyPuttingOff(change(RawAction::kCreated, "/w/g"), rows);
  later.ReadPutOff(afterRows);
  EXPECT_EQ(rows.texts, (Texts{"0 1 /w/g", "6 3 /w/g"}));
  EXPECT_EQ(afterRows.texts, (Texts{"4 3 /w/f"}));
  EXPECT_FALSE(later.HasPutOff());
}

KindSet Only(std::initializer_list<int> running) {
  KindSet kinds{};
  for (int kind : running) kinds[kind] = true;
  return kinds;
}

TEST_F(KindClassifierTest, KindsThatDoNotRunAreNotReportedAndNeedNoStatusOrAttributes) {
  classifier = Make(Only({kKindName, kKindCreation}));
  disk["/w/f"] = {};
  EXPECT_EQ(Run(RawAction::kCreated, "/w/f"), (Texts{"0 1 /w/f", "6 3 /w/f"}));
  EXPECT_EQ(Run(RawAction::kModified, "/w/f"), Texts{});
  EXPECT_EQ(Run(RawAction::kAttrib, "/w/f"), Texts{});
  EXPECT_EQ(Run(RawAction::kAccessed, "/w/f"), Texts{});
  EXPECT_EQ(reads, 0);
  // Extended attributes tell only attribute and security changes apart.
  classifier = Make(Only({kKindWrite, kKindAccess, kKindSize}));
  Run(RawAction::kCreated, "/w/f");
  disk["/w/f"].modifyTime = {1, 0};
  EXPECT_EQ(Run(RawAction::kAttrib, "/w/f"), Texts{"1 3 /w/f"});
  Run(RawAction::kAccessed, "/w/g");
  EXPECT_EQ(reads, 3);
  EXPECT_EQ(attributeReads, 0);
}

// The rules that make the kinds of a change independent of when a file's
// status is read: each step changes the file "on disk", then hands the
// classifier one change as the kernel (or a rescan) would.
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

TEST(KindRulesTest, KindsFollowTheRecordsAndTwoStatusesNotTheMomentOfReading) {
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
  // The kinds of a metadata change, told from two statuses.
  FileStatus base;
  base.mode = 0100644, base.uid = base.gid = 1000, base.linkCount = 1, base.size = 10;
  base.accessTime = {100, 1}, base.modifyTime = {200, 2};
  base.securityAttributes = 7, base.otherAttributes = 9;
  const std::pair<void (*)(FileStatus&), KindBits> changes[] = {
      {[](FileStatus&) {}, KindBit(kKindAttributes)},  // nothing visible
      {[](FileStatus& s) { s.mode = 0100600; }, KindBit(kKindSecurity)},
      {[](FileStatus& s) { s.uid = 0; }, KindBit(kKindSecurity)},
      {[](FileStatus& s) { s.gid = 0; }, KindBit(kKindSecurity)},
      {[](FileStatus& s) { s.securityAttributes = 8; }, KindBit(kKindSecurity)},  // ACL or label
      {[](FileStatus& s) { s.modifyTime.nanoseconds = 3; }, KindBit(kKindWrite)},
      {[](FileStatus& s) { s.accessTime.seconds = 101; }, KindBit(kKindAccess)},
      {[](FileStatus& s) { s.accessTime.seconds = s.modifyTime.seconds = 300; },
       KindBit(kKindWrite) | KindBit(kKindAccess)},
      {[](FileStatus& s) { s.linkCount = 2; }, KindBit(kKindAttributes)},
      {[](FileStatus& s) { s.otherAttributes = 1; }, KindBit(kKindAttributes)},
      // Attributes not read cannot tell.
      {[](FileStatus& s) { s.attributesKnown = false, s.securityAttributes = 0; },
       KindBit(kKindAttributes)},
      {[](FileStatus& s) { s.mode = 0100755, s.modifyTime.seconds = 900; },  // chmod and touch
       KindBit(kKindSecurity) | KindBit(kKindWrite)},
  };
  for (size_t i = 0; i < std::size(changes); ++i) {
    FileStatus after = base;
    changes[i].first(after);
    EXPECT_EQ(MetadataChangeKinds(&base, &after), changes[i].second) << i;
  }
  EXPECT_EQ(MetadataChangeKinds(nullptr, &base), KindBit(kKindAttributes));
  EXPECT_EQ(MetadataChangeKinds(&base, nullptr), KindBit(kKindAttributes));
}

FileStatus WithInode(uint64_t inode) {
  FileStatus status;
  status.inode = inode;
  return status;
}

std::set<std::string> NamesOf(StatusStore& store, uint64_t inode) {
  std::set<std::string> names;
  store.ForEachName(inode, [&](const std::string& path, FileStatus&) { names.insert(path); });
  return names;
}

// Folders whose names start like the moved one ("/w/d-x", "/w/d.x" sort
// between "/w/d" and "/w/d/") stay where they are.
TEST(StatusStoreTest, FoldersAndFilesMoveAndLeaveAndANewInodeIsIndexedAgain) {
  StatusStore store;
  for (const char* path : {"/w/d", "/w/d/f", "/w/d/e/g", "/w/d-x/f", "/w/d.x/f", "/w/dd"}) {
    store.Set(path, WithInode(1));
  }
  store.Set("/w/d/e/g", WithInode(2));
  store.Set("/w/q/h", WithInode(2));  // a hard link of g
  store.Set("/w/n/old", WithInode(3));  // replaced by the move
  store.Move("/w/d", "/w/n", true);
  for (const char* gone : {"/w/d", "/w/d/f", "/w/d/e/g", "/w/n/old"}) {
    EXPECT_EQ(store.Find(gone), nullptr) << gone;
  }
  for (const char* kept : {"/w/n", "/w/n/f", "/w/n/e/g", "/w/d-x/f", "/w/d.x/f", "/w/dd"}) {
    EXPECT_NE(store.Find(kept), nullptr) << kept;
  }
  EXPECT_EQ(store.size(), 7u);
  EXPECT_EQ(NamesOf(store, 2), (std::set<std::string>{"/w/n/e/g", "/w/q/h"}));
  EXPECT_TRUE(NamesOf(store, 3).empty());

  store.Erase("/w/n", true);
  EXPECT_EQ(store.size(), 4u);
  EXPECT_EQ(NamesOf(store, 2), (std::set<std::string>{"/w/q/h"}));
  EXPECT_NE(store.Find("/w/d-x/f"), nullptr);
  // A file moves between folders; a new inode is indexed again.
  StatusStore files;
  files.Set("/w/a/f", WithInode(5));
  files.Move("/w/a/f", "/w/b/f", false);
  EXPECT_EQ(NamesOf(files, 5), (std::set<std::string>{"/w/b/f"}));
  files.Set("/w/b/f", WithInode(6));  // another file took the name
  EXPECT_TRUE(NamesOf(files, 5).empty());
  EXPECT_EQ(NamesOf(files, 6), (std::set<std::string>{"/w/b/f"}));
  files.Move("/w/missing", "/w/b/f", false);  // nothing to move: the target is still replaced
  EXPECT_EQ(files.size(), 0u);
  EXPECT_TRUE(NamesOf(files, 6).empty());
}

}  // namespace
}  // namespace tavrek::engine
