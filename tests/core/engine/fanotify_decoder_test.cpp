#include "core/engine/backend/fanotify/fanotify_decoder.h"

#include <gtest/gtest.h>

#include <map>

#include "support/fanotify_record_builder.h"

namespace tavrek::engine {
namespace {

using testing::Dfid;
using testing::Fid;
using testing::InfoRecord;
using testing::NewDfid;
using testing::OldDfid;
using testing::RecordBuilder;
using testing::TestKey;

constexpr int32_t kPid = 321;

// The watched folder is /real/w, given as the link /watched/.
class FakeKernel {
 public:
  std::map<FanotifyFileKey, std::string> paths{
      {TestKey("slash"), "/"},           {TestKey("root"), "/real"},
      {TestKey("w"), "/real/w"},         {TestKey("sub"), "/real/w/sub"},
      {TestKey("deep"), "/real/w/sub/deep"}, {TestKey("other"), "/real/other"},
  };
  std::map<FanotifyFileKey, int> asked;

  FanotifyHandleResolver Resolver() {
    return [this](const FanotifyFileKey& key) -> std::optional<std::string> {
      ++asked[key];
      auto found = paths.find(key);
      if (found == paths.end()) return std::nullopt;
      return found->second;
    };
  }
};

FanotifyDecoder MakeDecoder(FakeKernel& kernel, bool subtree = true) {
  return FanotifyDecoder({"/watched/", "/real/w/", TestKey("w"), subtree}, kernel.Resolver());
}

struct Event {
  uint64_t mask;
  std::vector<InfoRecord> infos;
};

// One drain: the events as the kernel writes them, decoded.
DrainResult Drain(FanotifyDecoder& decoder, const std::vector<Event>& events,
                  std::vector<RawChange>& out) {
  RecordBuilder builder;
  for (const Event& event : events) builder.Event(event.mask, kPid, event.infos);
  return decoder.Decode(builder.bytes(), out);
}

struct Expected {
  RawAction action;
  std::string path;
  std::string oldPath = {};
  bool isDirectory = false;
};

struct Case {
  const char* what;
  std::vector<Event> events;
  std::vector<Expected> changes;
  bool subtree = true;
  bool ended = false;
  uint32_t overflows = 0;
};

void RunCase(const Case& c) {
  SCOPED_TRACE(c.what);
  FakeKernel kernel;
  FanotifyDecoder decoder = MakeDecoder(kernel, c.subtree);
  std::vector<RawChange> out;
  const DrainResult result = Drain(decoder, c.events, out);
  // Nothing more arrives: what waited for its directory goes as it can.
  if (result.pendingPairs) decoder.FlushHeld(out);
  EXPECT_FALSE(decoder.holding());
  EXPECT_EQ(result.ended, c.ended);
  EXPECT_EQ(result.overflows, c.overflows);
  EXPECT_EQ(decoder.malformed(), 0u);
  ASSERT_EQ(out.size(), c.changes.size());
  for (size_t i = 0; i < out.size(); ++i) {
    EXPECT_EQ(out[i].action, c.changes[i].action) << i;
    EXPECT_EQ(out[i].path, c.changes[i].path) << i;
    EXPECT_EQ(out[i].oldPath, c.changes[i].oldPath) << i;
    EXPECT_EQ(out[i].isDirectory, c.changes[i].isDirectory) << i;
    EXPECT_EQ(out[i].pid, kPid) << i;
    EXPECT_FALSE(out[i].fromScan) << i;
  }
}

TEST(FanotifyDecoderTest, TranslatesEachKindOfEvent) {
  const Case cases[] = {
      {"create file", {{FAN_CREATE, {Dfid("w", "a.txt"), Fid("f")}}},
       {{RawAction::kCreated, "/watched/a.txt"}}},
      {"create folder", {{FAN_CREATE | FAN_ONDIR, {Dfid("w", "d"), Fid("d")}}},
       {{RawAction::kCreated, "/watched/d", "", true}}},
      {"merged create and attrib (touch)", {{FAN_CREATE | FAN_ATTRIB, {Dfid("sub", "t")}}},
       {{RawAction::kCreated, "/watched/sub/t"}, {RawAction::kAttrib, "/watched/sub/t"}}},
      {"modify deep down", {{FAN_MODIFY, {Dfid("deep", "x"), Fid("x")}}},
       {{RawAction::kModified, "/watched/sub/deep/x"}}},
      {"read", {{FAN_ACCESS, {Dfid("w", "r")}}}, {{RawAction::kAccessed, "/watched/r"}}},
      {"delete", {{FAN_DELETE, {Dfid("sub", "gone")}}},
       {{RawAction::kDeleted, "/watched/sub/gone"}}},
      {"attrib of a folder itself", {{FAN_ATTRIB | FAN_ONDIR, {Dfid("sub", ".")}}},
       {{RawAction::kAttrib, "/watched/sub", "", true}}},
      {"attrib of the watched folder is not below it", {{FAN_ATTRIB | FAN_ONDIR, {Dfid("w", ".")}}},
       {}},
      {"rename within", {{FAN_RENAME, {OldDfid("w", "a"), NewDfid("sub", "b"), Fid("f")}}},
       {{RawAction::kRenamed, "/watched/sub/b", "/watched/a"}}},
      {"folder renamed within",
       {{FAN_RENAME | FAN_ONDIR, {OldDfid("sub", "deep"), NewDfid("w", "up"), Fid("deep")}}},
       {{RawAction::kRenamed, "/watched/up", "/watched/sub/deep", true}}},
      {"move out", {{FAN_RENAME, {OldDfid("w", "a"), NewDfid("other", "a")}}},
       {{RawAction::kMovedOut, "/watched/a"}}},
      {"move in", {{FAN_RENAME, {OldDfid("other", "a"), NewDfid("sub", "a")}}},
       {{RawAction::kMovedIn, "/watched/sub/a"}}},
      {"outside the folder",
       {{FAN_CREATE, {Dfid("other", "x")}},
        {FAN_MODIFY, {Dfid("root", "wx")}},  // a sibling sharing the folder's name as prefix
        {FAN_RENAME, {OldDfid("other", "x"), NewDfid("root", "y")}}},
       {}},
      {"unknown directory is skipped, the rest goes on",
       {{FAN_CREATE, {Dfid("stale", "x")}}, {FAN_DELETE, {Dfid("w", "y")}}},
       {{RawAction::kDeleted, "/watched/y"}}},
      {"overflow between events",
       {{FAN_CREATE, {Dfid("w", "a")}}, {FAN_Q_OVERFLOW, {}}, {FAN_DELETE, {Dfid("w", "a")}}},
       {{RawAction::kCreated, "/watched/a"}, {RawAction::kDeleted, "/watched/a"}},
       true, false, 1},
      {"without sub-folders",
       {{FAN_CREATE, {Dfid("sub", "x")}},
        {FAN_CREATE, {Dfid("w", "y")}},
        {FAN_ATTRIB | FAN_ONDIR, {Dfid("sub", ".")}},
        {FAN_RENAME, {OldDfid("w", "y"), NewDfid("sub", "y")}}},
       {{RawAction::kCreated, "/watched/y"},
        {RawAction::kAttrib, "/watched/sub", "", true},
        {RawAction::kMovedOut, "/watched/y"}},
       false},
  };
  for (const Case& c : cases) RunCase(c);
}

TEST(FanotifyDecoderTest, EndsWhenTheFolderGoesAndReportsNothingAfter) {
  const Event before{FAN_CREATE, {Dfid("w", "first")}};
  const Event after{FAN_CREATE, {Dfid("w", "late")}};
  const Expected first{RawAction::kCreated, "/watched/first"};
  const Case cases[] = {
      {"deleted (self event)", {before, {FAN_DELETE_SELF | FAN_ONDIR, {Dfid("w", ".")}}, after},
       {first}, true, true},
      {"moved (self event)", {before, {FAN_MOVE_SELF | FAN_ONDIR, {Fid("w")}}, after},
       {first}, true, true},
      {"deleted (parent's event)",
       {before, {FAN_DELETE | FAN_ONDIR, {Dfid("root", "w"), Fid("w")}}, after}, {first}, true,
       true},
      {"deleted (parent's event, no handle of the child)",
       {before, {FAN_DELETE | FAN_ONDIR, {Dfid("root", "w")}}, after}, {first}, true, true},
      {"renamed", {before, {FAN_RENAME | FAN_ONDIR, {OldDfid("root", "w"), NewDfid("root", "v")}}},
       {first}, true, true},
      {"a folder above moved",
       {before, {FAN_RENAME | FAN_ONDIR, {OldDfid("slash", "real"), NewDfid("slash", "moved")}}},
       {first}, true, true},
      {"another folder moved onto it",
       {before, {FAN_RENAME | FAN_ONDIR, {OldDfid("root", "other"), NewDfid("root", "w")}}},
       {first}, true, true},
      {"a sibling with a longer name deleted is no end",
       {{FAN_DELETE | FAN_ONDIR, {Dfid("root", "w2"), Fid("w2")}}}, {}, true, false},
  };
  for (const Case& c : cases) RunCase(c);
}

TEST(FanotifyDecoderTest, PlacesEventsInDirectoriesDeletedBeforeTheRead) {
  // rm -r of w/t/u/f, all gone before the events are read: the kernel finds
  // neither t nor u any more; their own deletion records tell where they were.
  FakeKernel kernel;
  FanotifyDecoder decoder = MakeDecoder(kernel);
  std::vector<RawChange> out;
  Drain(decoder,
        {{FAN_DELETE, {Dfid("u", "f"), Fid("f")}},
         {FAN_DELETE | FAN_ONDIR, {Dfid("t", "u"), Fid("u")}},
         {FAN_DELETE | FAN_ONDIR, {Dfid("w", "t"), Fid("t")}}},
        out);
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[0].path, "/watched/t/u/f");
  EXPECT_EQ(out[1].path, "/watched/t/u");
  EXPECT_EQ(out[2].path, "/watched/t");
  EXPECT_EQ(decoder.cache().Find(TestKey("t")), nullptr);
  EXPECT_EQ(decoder.cache().Find(TestKey("u")), nullptr);
}

TEST(FanotifyDecoderTest, KnowsANewDirectoryFromItsCreationOn) {
  FakeKernel kernel;
  FanotifyDecoder decoder = MakeDecoder(kernel);
  std::vector<RawChange> out;
  Drain(decoder, {{FAN_CREATE | FAN_ONDIR, {Dfid("sub", "n"), Fid("new")}}}, out);
  // Deleted by now: only the creation record knows where it was.
  Drain(decoder, {{FAN_CREATE, {Dfid("new", "f")}}}, out);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[1].path, "/watched/sub/n/f");
  EXPECT_EQ(kernel.asked.count(TestKey("new")), 0u);
}

TEST(FanotifyDecoderTest, FollowsDirectoryRenamesInTheCache) {
  FakeKernel kernel;
  FanotifyDecoder decoder = MakeDecoder(kernel);
  std::vector<RawChange> out;
  Drain(decoder, {{FAN_MODIFY, {Dfid("deep", "x")}}}, out);
  // The fake kernel keeps the old paths: only the cache can know the new ones.
  out.clear();
  Drain(decoder,
        {{FAN_RENAME | FAN_ONDIR, {OldDfid("w", "sub"), NewDfid("w", "s2"), Fid("sub")}},
         {FAN_MODIFY, {Dfid("deep", "x")}},
         {FAN_RENAME | FAN_ONDIR, {OldDfid("w", "s2"), NewDfid("other", "s3")}},
         {FAN_MODIFY, {Dfid("deep", "x")}}},
        out);
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[0].action, RawAction::kRenamed);
  EXPECT_EQ(out[1].path, "/watched/s2/deep/x");
  EXPECT_EQ(out[2].action, RawAction::kMovedOut);  // and the last change is outside now
  EXPECT_EQ(out[2].path, "/watched/s2");
  EXPECT_EQ(kernel.asked[TestKey("deep")], 1);
}

TEST(FanotifyDecoderTest, WaitsOneDrainForTheDeletionOfAnUnknownDirectory) {
  FakeKernel kernel;
  kernel.paths.erase(TestKey("sub"));  // existed before the watch, gone when read
  FanotifyDecoder decoder = MakeDecoder(kernel);
  std::vector<RawChange> out;
  EXPECT_TRUE(Drain(decoder,
                    {{FAN_DELETE, {Dfid("sub", "f.txt")}},
                     {FAN_CREATE, {Dfid("w", "after.txt"), Fid("after")}}},
                    out)
                  .pendingPairs);
  // Only the unplaceable record waits; the folder's other rows go at once.
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].path, "/watched/after.txt");
  EXPECT_FALSE(
      Drain(decoder, {{FAN_DELETE | FAN_ONDIR, {Dfid("w", "sub"), Fid("sub")}}}, out).pendingPairs);
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[1].action, RawAction::kDeleted);
  EXPECT_EQ(out[1].path, "/watched/sub/f.txt");
  EXPECT_EQ(out[2].path, "/watched/sub");
  EXPECT_TRUE(out[2].isDirectory);
}

TEST(FanotifyDecoderTest, ActivityInDeletedDirectoriesElsewhereNeverHoldsTheFolderBack) {
  FakeKernel kernel;
  FanotifyDecoder decoder = MakeDecoder(kernel);
  std::vector<RawChange> out;
  constexpr int kDrains = 3;
  for (int drain = 0; drain < kDrains; ++drain) {
    const std::string gone = "gone" + std::to_string(drain);
    Drain(decoder, {{FAN_CREATE, {Dfid(gone, "x")}}, {FAN_MODIFY, {Dfid("w", "mine")}}}, out);
    ASSERT_EQ(out.size(), static_cast<size_t>(drain + 1));
    EXPECT_EQ(out.back().path, "/watched/mine");
  }
  decoder.FlushHeld(out);
  EXPECT_EQ(out.size(), static_cast<size_t>(kDrains));
  EXPECT_FALSE(decoder.holding());
}

TEST(FanotifyDecoderTest, MovedDirectoryOutOfAGoneParentIsFoundByItsOwnHandle) {
  FakeKernel kernel;
  kernel.paths[TestKey("gone")] = "/real/w/gone";
  kernel.paths[TestKey("kid")] = "/real/w/gone/kid";
  FanotifyDecoder decoder = MakeDecoder(kernel);
  std::vector<RawChange> out;
  Drain(decoder, {{FAN_MODIFY, {Dfid("kid", "x")}}}, out);
  kernel.paths.erase(TestKey("gone"));  // deleted after kid moved out of it
  out.clear();
  Drain(decoder, {{FAN_RENAME | FAN_ONDIR, {OldDfid("gone", "kid"), NewDfid("w", "k2"), Fid("kid")}}},
        out);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].action, RawAction::kRenamed);
  EXPECT_EQ(out[0].oldPath, "/watched/gone/kid");
  EXPECT_EQ(out[0].path, "/watched/k2");
}

TEST(FanotifyDecoderTest, AsksTheKernelOncePerUnknownHandleInADrain) {
  FakeKernel kernel;
  FanotifyDecoder decoder = MakeDecoder(kernel);
  std::vector<RawChange> out;
  Drain(decoder, std::vector<Event>(5, {FAN_MODIFY, {Dfid("stale", "x")}}), out);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(kernel.asked[TestKey("stale")], 1);
}

TEST(FanotifyDecoderTest, WatchingTheRootKeepsEveryPath) {
  FakeKernel kernel;
  FanotifyDecoder decoder({"/", "/", TestKey("slash"), true}, kernel.Resolver());
  std::vector<RawChange> out;
  Drain(decoder, {{FAN_CREATE, {Dfid("slash", "top")}}, {FAN_CREATE, {Dfid("deep", "x")}}}, out);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].path, "/top");
  EXPECT_EQ(out[1].path, "/real/w/sub/deep/x");
}

TEST(FanotifyDecoderTest, PlacesRecordsBelowAFolderRenamedBeforeTheRead) {
  // sub/deep existed before the watch; a file in deep was deleted, then sub
  // renamed to s2, all before the read: the kernel knows only the new place.
  FakeKernel kernel;
  kernel.paths[TestKey("sub")] = "/real/w/s2";
  kernel.paths[TestKey("deep")] = "/real/w/s2/deep";
  const std::map<FanotifyFileKey, FanotifyEntry> parents{
      {TestKey("deep"), {TestKey("sub"), "deep"}},
      {TestKey("sub"), {TestKey("w"), "s2"}},
      {TestKey("w"), {TestKey("root"), "w"}},
  };
  FanotifyDecoder decoder({"/watched/", "/real/w/", TestKey("w"), true}, kernel.Resolver(), {},
                          [&](const FanotifyFileKey& key) -> std::optional<FanotifyEntry> {
                            auto found = parents.find(key);
                            if (found == parents.end()) return std::nullopt;
                            return found->second;
                          });
  std::vector<RawChange> out;
  Drain(decoder,
        {{FAN_DELETE, {Dfid("deep", "x"), Fid("x")}},
         {FAN_RENAME | FAN_ONDIR, {OldDfid("w", "sub"), NewDfid("w", "s2"), Fid("sub")}},
         {FAN_CREATE, {Dfid("deep", "y"), Fid("y")}}},
        out);
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[0].path, "/watched/sub/deep/x");
  EXPECT_EQ(out[1].path, "/watched/s2");
  EXPECT_EQ(out[2].path, "/watched/s2/deep/y");
}

// Records as the kernel leaves them after merging identical events in its
// queue, and the names as they are when the records are read.
struct MergedCase {
  const char* what;
  std::vector<std::vector<Event>> drains;
  std::map<std::string, std::string> now;  // real path -> handle of what is there
  std::vector<std::string> log;            // "+path", "-path", "old>new"
};

std::string Describe(const RawChange& change) {
  const std::string path = change.path.substr(std::string("/watched/").size());
  switch (change.action) {
    case RawAction::kCreated:
    case RawAction::kMovedIn: return "+" + path;
    case RawAction::kDeleted:
    case RawAction::kMovedOut: return "-" + path;
    case RawAction::kRenamed:
      return change.oldPath.substr(std::string("/watched/").size()) + ">" + path;
    default: return "~" + path;
  }
}

void RunMergedCase(const MergedCase& c) {
  SCOPED_TRACE(c.what);
  FakeKernel kernel;
  FanotifyDecoder decoder({"/watched/", "/real/w/", TestKey("w"), true}, kernel.Resolver(),
                          [&](const FanotifyEntry& entry) -> std::optional<FanotifyEntryNow> {
                            auto directory = kernel.paths.find(entry.directory);
                            if (directory == kernel.paths.end()) return std::nullopt;
                            auto found = c.now.find(directory->second + "/" + entry.name);
                            if (found == c.now.end()) return FanotifyEntryNow{};
                            return FanotifyEntryNow{true, TestKey(found->second)};
                          });
  std::vector<RawChange> out;
  for (const std::vector<Event>& drain : c.drains) Drain(decoder, drain, out);
  std::vector<std::string> log;
  for (const RawChange& change : out) {
    if (change.action != RawAction::kModified) log.push_back(Describe(change));
  }
  EXPECT_EQ(log, c.log);
}

TEST(FanotifyDecoderTest, MergedRecordsGiveALogWhoseReplayEndsOnThePresentState) {
  const Event ab{FAN_RENAME, {OldDfid("w", "a"), NewDfid("w", "b"), Fid("f")}};
  const Event ba{FAN_RENAME, {OldDfid("w", "b"), NewDfid("w", "a"), Fid("f")}};
  const Event fg{FAN_RENAME, {OldDfid("w", "f"), NewDfid("w", "g"), Fid("x")}};
  const Event gf{FAN_RENAME, {OldDfid("w", "g"), NewDfid("w", "f"), Fid("x")}};
  const MergedCase cases[] = {
      {"a>b, b>a five times, then a>b: one record per direction", {{ab, ba}}, {{"/real/w/b", "f"}},
       {"a>b", "b>a", "a>b"}},
      {"the same, ending on a", {{ab, ba}}, {{"/real/w/a", "f"}}, {"a>b", "b>a"}},
      {"the last rename read in the next drain is told once", {{ab, ba}, {ab}},
       {{"/real/w/b", "f"}}, {"a>b", "b>a", "a>b"}},
      {"a later drain goes on from the records' own ends", {{ab, ba}, {ab, {FAN_RENAME, {OldDfid("w", "b"),
       NewDfid("w", "c"), Fid("f")}}}}, {{"/real/w/c", "f"}}, {"a>b", "b>a", "a>b", "b>c"}},
      {"created, written, renamed away and back, deleted",
       {{{FAN_CREATE | FAN_MODIFY | FAN_DELETE, {Dfid("w", "f"), Fid("x")}}, fg, gf}}, {},
       {"+f", "f>g", "g>f", "-f"}},
      {"deleted after a folded repeat of the rename back",
       {{{FAN_CREATE | FAN_DELETE, {Dfid("w", "f"), Fid("x")}}, fg, gf, fg}}, {},
       {"+f", "f>g", "g>f", "f>g", "g>f", "-f"}},
      {"created and deleted, then created anew",
       {{{FAN_CREATE | FAN_DELETE, {Dfid("w", "f"), Fid("x")}},
         {FAN_CREATE, {Dfid("w", "f"), Fid("y")}}}},
       {{"/real/w/f", "y"}}, {"+f", "-f", "+f"}},
      {"a folder and its file, both created and deleted",
       {{{FAN_CREATE | FAN_DELETE | FAN_ONDIR, {Dfid("w", "d"), Fid("d")}},
         {FAN_CREATE | FAN_DELETE, {Dfid("d", "x"), Fid("x")}}}},
       {}, {"+d", "+d/x", "-d/x", "-d"}},
      {"a folder renamed away and back carries its kept-back deletion",
       {{{FAN_CREATE | FAN_DELETE, {Dfid("sub", "x"), Fid("x")}},
         {FAN_RENAME | FAN_ONDIR, {OldDfid("w", "sub"), NewDfid("w", "s2"), Fid("sub")}}}},
       {{"/real/w/s2", "sub"}}, {"+sub/x", "sub>s2", "-s2/x"}},
  };
  for (const MergedCase& c : cases) RunMergedCase(c);
}

}  // namespace
}  // namespace tavrek::engine
