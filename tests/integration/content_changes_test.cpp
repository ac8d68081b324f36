// Writes, sizes, reads, time stamps, security and attributes: the kinds the
// source tells apart by comparing a file's statuses.
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "file_ops.h"
#include "source_fixture.h"

namespace tavrek::testing {
namespace {

using engine::kKindAccess;
using engine::kKindAttributes;
using engine::kKindName;
using engine::kKindSecurity;
using engine::kKindSize;
using engine::kKindWrite;

constexpr uid_t kOtherOwner = 4321;
// Time stamps far from "now", a different one per step.
constexpr long kPastTime = 1'000'000'000;

class ContentChangesTest : public SourceTest {
 protected:
  // A file made while watching, so that its status is known.
  void StartWithFile() {
    Start();
    ASSERT_TRUE(AppendTo(file, "content"));
    ASSERT_TRUE(harness->WaitFor(kKindSize, "Dateigröße", file));
    ASSERT_TRUE(harness->Settle());
    harness->Forget();
  }
  // After everything so far was reported: how often the kind said `action`.
  int SettledCount(int kind, std::string_view action) {
    EXPECT_TRUE(harness->Settle());
    return harness->Count(kind, action, file);
  }
  const std::string file = Path("f.txt");
};

TEST_P(ContentChangesTest, WritingReportsSizeOnlyWhenTheSizeChanged) {
  StartWithFile();
  ASSERT_TRUE(AppendTo(file, "more"));
  EXPECT_TRUE(harness->WaitFor(kKindWrite, "Schreiben", file));
  EXPECT_TRUE(harness->WaitFor(kKindSize, "Dateigröße", file));
  ASSERT_TRUE(harness->Settle());
  harness->Forget();

  ASSERT_TRUE(OverwriteAt(file, 0, "CONTENT"));
  EXPECT_TRUE(harness->WaitFor(kKindWrite, "Schreiben", file));
  EXPECT_EQ(SettledCount(kKindSize, "Dateigröße"), 0);
}

TEST_P(ContentChangesTest, TruncatingReportsSizeAndWrite) {
  StartWithFile();
  ASSERT_EQ(truncate(file.c_str(), 1), 0);
  EXPECT_TRUE(harness->WaitFor(kKindSize, "Dateigröße", file));
  EXPECT_TRUE(harness->WaitFor(kKindWrite, "Schreiben", file));
}

TEST_P(ContentChangesTest, ReadingReportsAccess) {
  StartWithFile();
  ASSERT_TRUE(ReadAll(file));
  EXPECT_TRUE(harness->WaitFor(kKindAccess, "Zugriffszeit", file));
  EXPECT_EQ(SettledCount(kKindWrite, "Schreiben"), 0);
}

TEST_P(ContentChangesTest, SettingTimeStampsReportsTheTimesThatChanged) {
  struct Case {
    bool access;
    bool modification;
  };
  StartWithFile();
  long time = kPastTime;
  for (const Case c : {Case{false, true}, Case{true, false}, Case{true, true}}) {
    SCOPED_TRACE(std::to_string(c.access) + "/" + std::to_string(c.modification));
    ASSERT_TRUE(AppendTo(file, "x"));  // new times for the next step to set
    ASSERT_TRUE(harness->Settle());
    harness->Forget();
    ASSERT_TRUE(SetTimes(file, c.access, c.modification, ++time));
    EXPECT_EQ(SettledCount(kKindWrite, "Schreiben"), c.modification ? 1 : 0);
    EXPECT_EQ(harness->Count(kKindAccess, "Zugriffszeit", file), c.access ? 1 : 0);
    EXPECT_EQ(harness->Count(kKindSize, "Dateigröße", file), 0);
    EXPECT_EQ(harness->Count(kKindAttributes, "Dateiattribute", file), 0);
    EXPECT_EQ(harness->Count(kKindSecurity, "Sicherheitseinstellung", file), 0);
  }
}

TEST_P(ContentChangesTest, ModeAndOwnerChangesReportSecurity) {
  StartWithFile();
  ASSERT_EQ(chmod(file.c_str(), 0600), 0);
  EXPECT_TRUE(harness->WaitFor(kKindSecurity, "Sicherheitseinstellung", file));
  ASSERT_TRUE(harness->Settle());
  harness->Forget();
  if (geteuid() == 0) {
    ASSERT_EQ(chown(file.c_str(), kOtherOwner, kOtherOwner), 0);
    EXPECT_TRUE(harness->WaitFor(kKindSecurity, "Sicherheitseinstellung", file));
  }
  EXPECT_EQ(SettledCount(kKindAttributes, "Dateiattribute"), 0);
  EXPECT_EQ(harness->Count(kKindWrite, "Schreiben", file), 0);
}

TEST_P(ContentChangesTest, UserAttributesAndLinkCountReportAttributes) {
  StartWithFile();
  const std::string value = "1";
  if (setxattr(file.c_str(), "user.tavrek", value.data(), value.size(), 0) == 0) {
    EXPECT_TRUE(harness->WaitFor(kKindAttributes, "Dateiattribute", file));
    EXPECT_EQ(SettledCount(kKindSecurity, "Sicherheitseinstellung"), 0);
    harness->Forget();
  }
  ASSERT_EQ(link(file.c_str(), Path("g.txt").c_str()), 0);
  EXPECT_TRUE(harness->WaitFor(kKindName, "Erstellen", Path("g.txt")));
  EXPECT_TRUE(harness->WaitFor(kKindAttributes, "Dateiattribute", file));
  EXPECT_EQ(SettledCount(kKindSecurity, "Sicherheitseinstellung"), 0);
}

TEST_P(ContentChangesTest, ReadingsOfTheWatchItselfAreNoAccess) {
  folder.Write("a/b/c/deep.txt", "x");
  Start();
  // A new tree is scanned at once: the scan reads every directory of it.
  ASSERT_TRUE(MakeDirectory(Path("n")));
  ASSERT_TRUE(MakeDirectory(Path("n/x")));
  ASSERT_TRUE(MakeDirectory(Path("n/x/y")));
  ASSERT_TRUE(harness->Settle());
  for (const engine::ChangeEvent& event : harness->events()) {
    EXPECT_NE(event.kindIndex, kKindAccess) << event.path;
  }
  ASSERT_TRUE(ReadAll(Path("a/b/c/deep.txt")));
  EXPECT_TRUE(harness->WaitFor(kKindAccess, "Zugriffszeit", Path("a/b/c/deep.txt")));
  ASSERT_TRUE(AppendTo(Path("n/x/y/new.txt"), "x"));
  ASSERT_TRUE(ReadAll(Path("n/x/y/new.txt")));
  EXPECT_TRUE(harness->WaitFor(kKindAccess, "Zugriffszeit", Path("n/x/y/new.txt")));
}

TEST_P(ContentChangesTest, KindsThatDoNotRunReportNothing) {
  engine::KindSet kinds{};
  kinds[kKindName] = kinds[kKindWrite] = true;
  Start(kinds);
  ASSERT_TRUE(AppendTo(file, "content"));
  ASSERT_TRUE(ReadAll(file));
  ASSERT_EQ(chmod(file.c_str(), 0600), 0);
  EXPECT_TRUE(harness->WaitFor(kKindWrite, "Schreiben", file));
  ASSERT_TRUE(harness->Settle());
  for (const engine::ChangeEvent& event : harness->events()) {
    EXPECT_TRUE(event.kindIndex == kKindName || event.kindIndex == kKindWrite)
        << int{event.kindIndex} << " " << event.path;
  }
}

TAVREK_FOR_EVERY_BACKEND(ContentChangesTest);

}  // namespace
}  // namespace tavrek::testing
