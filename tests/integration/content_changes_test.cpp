// Writes, sizes, reads, time stamps, security and attributes: the kinds the
// source tells apart by comparing a file's statuses.
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <functional>

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
constexpr long kPastTime = 1'000'000'000;  // far from "now"

// One change to a file watched since it was made: the kinds that report it
// and those that must stay silent. `change` says false when this machine
// cannot make it (no user attributes, no root for chown).
struct ContentCase {
  const char* what;
  std::function<bool(const std::string& file)> change;
  std::vector<int> reported;
  std::vector<int> silent;
};

const ContentCase kCases[] = {
    {"appending", [](const std::string& f) { return AppendTo(f, "more"); }, {kKindWrite, kKindSize}, {}},
    {"overwriting in place", [](const std::string& f) { return OverwriteAt(f, 0, "CONTENT"); },
     {kKindWrite}, {kKindSize}},
    {"truncating", [](const std::string& f) { return truncate(f.c_str(), 1) == 0; },
     {kKindSize, kKindWrite}, {}},
    {"reading", [](const std::string& f) { return ReadAll(f); }, {kKindAccess}, {kKindWrite}},
    {"setting the modification time",
     [](const std::string& f) { return SetTimes(f, false, true, kPastTime); }, {kKindWrite},
     {kKindAccess, kKindSize, kKindAttributes, kKindSecurity}},
    {"setting the access time",
     [](const std::string& f) { return SetTimes(f, true, false, kPastTime); }, {kKindAccess},
     {kKindWrite, kKindSize, kKindAttributes, kKindSecurity}},
    {"setting both times", [](const std::string& f) { return SetTimes(f, true, true, kPastTime); },
     {kKindWrite, kKindAccess}, {kKindSize, kKindAttributes, kKindSecurity}},
    {"changing the mode", [](const std::string& f) { return chmod(f.c_str(), 0600) == 0; },
     {kKindSecurity}, {kKindAttributes, kKindWrite}},
    {"changing the owner",
     [](const std::string& f) {
       return geteuid() == 0 && chown(f.c_str(), kOtherOwner, kOtherOwner) == 0;
     },
     {kKindSecurity}, {kKindAttributes, kKindWrite}},
    {"setting a user attribute",
     [](const std::string& f) { return setxattr(f.c_str(), "user.tavrek", "1", 1, 0) == 0; },
     {kKindAttributes}, {kKindSecurity}},
    {"adding a hard link",
     [](const std::string& f) { return link(f.c_str(), (f + ".link").c_str()) == 0; },
     {kKindAttributes}, {kKindSecurity}},
};

class ContentChangesTest : public SourceTest {
 protected:
  int Count(int kind, const std::string& file) {
    int count = 0;
    for (const engine::ChangeEvent& event : harness->events()) {
      if (event.kindIndex == kind && event.path == file) ++count;
    }
    return count;
  }
};

TEST_P(ContentChangesTest, EachChangeReportsItsKindsAndNoOthers) {
  Start();
  for (const ContentCase& c : kCases) {
    SCOPED_TRACE(c.what);
    // Made while watching, so that its status is known.
    const std::string file = Path(std::string(c.what) + ".txt");
    ASSERT_TRUE(AppendTo(file, "content"));
    ASSERT_TRUE(harness->WaitFor(kKindSize, engine::Action::kSize, file));
    ASSERT_TRUE(harness->Settle());
    harness->Forget();
    if (!c.change(file)) continue;
    for (int kind : c.reported) {
      EXPECT_TRUE(harness->WaitFor([&](const engine::ChangeEvent& event) {
        return event.kindIndex == kind && event.path == file;
      })) << "kind " << kind;
    }
    ASSERT_TRUE(harness->Settle());
    for (int kind : c.silent) EXPECT_EQ(Count(kind, file), 0) << "kind " << kind;
  }
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
  EXPECT_TRUE(harness->WaitFor(kKindAccess, engine::Action::kAccessTime, Path("a/b/c/deep.txt")));
  ASSERT_TRUE(AppendTo(Path("n/x/y/new.txt"), "x"));
  ASSERT_TRUE(ReadAll(Path("n/x/y/new.txt")));
  EXPECT_TRUE(harness->WaitFor(kKindAccess, engine::Action::kAccessTime, Path("n/x/y/new.txt")));
}

// A file made and written at once: its name's rows go out before its size
// is read, and so before the rows that need it, yet the kinds stay the same.
TEST_P(ContentChangesTest, ANewFilesNameGoesOutBeforeItsStatusIsRead) {
  Start();
  const std::string file = Path("written at once.txt");
  ASSERT_TRUE(AppendTo(file, "hello"));
  ASSERT_TRUE(harness->WaitFor(kKindSize, engine::Action::kSize, file));
  const size_t named = harness->BatchOf(kKindName, engine::Action::kCreated, file);
  EXPECT_NE(named, 0U);
  EXPECT_LT(named, harness->BatchOf(kKindWrite, engine::Action::kWritten, file));
  EXPECT_LT(named, harness->BatchOf(kKindSize, engine::Action::kSize, file));
  ASSERT_TRUE(harness->Settle());
  EXPECT_EQ(Count(kKindSize, file), 1);
  EXPECT_EQ(Count(kKindWrite, file), 1);
}

TAVREK_FOR_EVERY_BACKEND(ContentChangesTest);

}  // namespace
}  // namespace tavrek::testing
