#include "core/engine/source/kind_classifier.h"

#include <gtest/gtest.h>

#include <map>

#include "core/engine/action.h"

namespace tavrek::engine {
namespace {

TEST(MetadataChangeKindsTest, TellsKindsFromTwoStatuses) {
  FileStatus base;
  base.mode = 0100644;
  base.uid = base.gid = 1000;
  base.linkCount = 1;
  base.size = 10;
  base.accessTime = {100, 1};
  base.modifyTime = {200, 2};
  base.securityAttributes = 7;
  base.otherAttributes = 9;
  struct Case {
    const char* title;
    void (*change)(FileStatus&);
    KindBits expected;
  };
  const Case cases[] = {
      {"nothing visible", [](FileStatus&) {}, KindBit(kKindAttributes)},
      {"mode", [](FileStatus& s) { s.mode = 0100600; }, KindBit(kKindSecurity)},
      {"owner", [](FileStatus& s) { s.uid = 0; }, KindBit(kKindSecurity)},
      {"group", [](FileStatus& s) { s.gid = 0; }, KindBit(kKindSecurity)},
      {"ACL or label", [](FileStatus& s) { s.securityAttributes = 8; }, KindBit(kKindSecurity)},
      {"modification time", [](FileStatus& s) { s.modifyTime.nanoseconds = 3; },
       KindBit(kKindWrite)},
      {"access time", [](FileStatus& s) { s.accessTime.seconds = 101; }, KindBit(kKindAccess)},
      {"both times",
       [](FileStatus& s) {
         s.accessTime.seconds = 300;
         s.modifyTime.seconds = 300;
       },
       KindBit(kKindWrite) | KindBit(kKindAccess)},
      {"link count", [](FileStatus& s) { s.linkCount = 2; }, KindBit(kKindAttributes)},
      {"user attribute", [](FileStatus& s) { s.otherAttributes = 1; }, KindBit(kKindAttributes)},
      {"attributes not read cannot tell",
       [](FileStatus& s) {
         s.attributesKnown = false;
         s.securityAttributes = 0;
       },
       KindBit(kKindAttributes)},
      {"chmod and touch at once",
       [](FileStatus& s) {
         s.mode = 0100755;
         s.modifyTime.seconds = 900;
       },
       KindBit(kKindSecurity) | KindBit(kKindWrite)},
  };
  for (const Case& c : cases) {
    FileStatus after = base;
    c.change(after);
    EXPECT_EQ(MetadataChangeKinds(&base, &after), c.expected) << c.title;
  }
  EXPECT_EQ(MetadataChangeKinds(nullptr, &base), KindBit(kKindAttributes));
  EXPECT_EQ(MetadataChangeKinds(&base, nullptr), KindBit(kKindAttributes));
}

KindSet AllKinds() {
  KindSet kinds;
  kinds.fill(true);
  return kinds;
}

// The classifier over statuses a test sets, as if on disk.
class KindClassifierTest : public ::testing::Test {
 protected:
  explicit KindClassifierTest(KindSet kinds = AllKinds())
      : classifier(kinds, [this](const std::string& path, bool withAttributes) {
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
        }) {}

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
  KindClassifier classifier;
};

TEST_F(KindClassifierTest, NamesAndCreationOfEveryMove) {
  disk["/w/f"] = {};
  EXPECT_EQ(Run(RawAction::kCreated, "/w/f"), (Texts{"0 1 /w/f", "6 3 /w/f"}));
  EXPECT_EQ(Run(RawAction::kMovedIn, "/w/g"), (Texts{"0 1 /w/g", "6 3 /w/g"}));
  EXPECT_EQ(Run(RawAction::kRenamed, "/w/h", "/w/f"), (Texts{"0 4 /w/f", "0 5 /w/h"}));
  EXPECT_EQ(Run(RawAction::kDeleted, "/w/h"), (Texts{"0 2 /w/h"}));
  EXPECT_EQ(Run(RawAction::kMovedOut, "/w/g"), (Texts{"0 2 /w/g"}));
  EXPECT_EQ(classifier.recordedCount(), 0u);
}

TEST_F(KindClassifierTest, SizeIsReportedWhenItChangedOrCannotBeCompared) {
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

KindSet Only(std::initializer_list<int> running) {
  KindSet kinds{};
  for (int kind : running) kinds[kind] = true;
  return kinds;
}

class NameKindsOnlyTest : public KindClassifierTest {
 protected:
  NameKindsOnlyTest() : KindClassifierTest(Only({kKindName, kKindCreation})) {}
};

TEST_F(NameKindsOnlyTest, NeitherReadsStatusesNorReportsOtherKinds) {
  disk["/w/f"] = {};
  EXPECT_EQ(Run(RawAction::kCreated, "/w/f"), (Texts{"0 1 /w/f", "6 3 /w/f"}));
  EXPECT_EQ(Run(RawAction::kModified, "/w/f"), Texts{});
  EXPECT_EQ(Run(RawAction::kAttrib, "/w/f"), Texts{});
  EXPECT_EQ(Run(RawAction::kAccessed, "/w/f"), Texts{});
  EXPECT_EQ(reads, 0);
}

class TimesAndSizeOnlyTest : public KindClassifierTest {
 protected:
  TimesAndSizeOnlyTest() : KindClassifierTest(Only({kKindWrite, kKindAccess, kKindSize})) {}
};

// Extended attributes tell only attribute and security changes apart.
TEST_F(TimesAndSizeOnlyTest, ReadStatusesWithoutAttributes) {
  disk["/w/f"] = {};
  Run(RawAction::kCreated, "/w/f");
  disk["/w/f"].modifyTime = {1, 0};
  EXPECT_EQ(Run(RawAction::kAttrib, "/w/f"), Texts{"1 3 /w/f"});
  Run(RawAction::kAccessed, "/w/g");
  EXPECT_EQ(reads, 3);
  EXPECT_EQ(attributeReads, 0);
}

}  // namespace
}  // namespace tavrek::engine
