#include "core/engine/backend/fanotify/fanotify_decoder.h"

#include <gtest/gtest.h>

#include <map>

#include "support/fanotify_record_builder.h"
#include "support/raw_action_name.h"

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
constexpr std::string_view kShown = "/watched/";

struct Event {
  uint64_t mask;
  std::vector<InfoRecord> infos;
};
using Drains = std::vector<std::vector<Event>>;

// One case: the drains the kernel gives and the log made of them. The watched
// folder is /real/w, given as the link /watched/ (or "/" with `watchRoot`).
// Handles are named by the keys of `paths`; a directory the kernel cannot
// find has none.
struct Case {
  const char* what;
  Drains drains;
  std::vector<std::string> log;  // Describe() of every change, "|" between drains
  std::map<std::string, std::string> paths = {};  // more handles ("" takes one away)
  std::vector<std::string> goneAfterFirstDrain = {};
  // Directory handle -> (parent handle, name) where the kernel finds it now.
  std::map<std::string, std::pair<std::string, std::string>> parents = {};
  // Entries as they are now (real path -> handle), asked for merged records;
  // with `namesOnly` the log shows name changes only.
  bool namesOnly = false;
  std::map<std::string, std::string> now = {};
  bool subtree = true;
  bool watchRoot = false;
  bool ended = false;
  uint32_t overflows = 0;
  std::map<std::string, int> asked = {};  // how often the kernel was asked for a handle
  std::vector<std::string> uncached = {};
};

std::string Shown(const std::string& path) {
  return path.starts_with(kShown) ? path.substr(kShown.size()) : path;
}

std::string Describe(const RawChange& change) {
  std::string text(testing::RawActionName(change.action));
  if (change.isDirectory) text += "/";
  text += " ";
  if (!change.oldPath.empty()) text += Shown(change.oldPath) + " -> ";
  return text + Shown(change.path);
}

class FakeKernel {
 public:
  explicit FakeKernel(const Case& c) : case_(c) {
    for (const auto& [key, path] : c.paths) {
      if (path.empty()) {
        paths.erase(TestKey(key));
      } else {
        paths[TestKey(key)] = path;
      }
    }
  }

  FanotifyHandleResolver Resolver() {
    return [this](const FanotifyFileKey& key) -> std::optional<std::string> {
      ++asked[key];
      auto found = paths.find(key);
      if (found == paths.end()) return std::nullopt;
      return found->second;
    };
  }
  FanotifyEntryProbe Probe() {
    if (!case_.namesOnly) return {};
    return [this](const FanotifyEntry& entry) -> std::optional<FanotifyEntryNow> {
      auto directory = paths.find(entry.directory);
      if (directory == paths.end()) return std::nullopt;
      auto found = case_.now.find(directory->second + "/" + entry.name);
      if (found == case_.now.end()) return FanotifyEntryNow{};
      return FanotifyEntryNow{true, TestKey(found->second)};
    };
  }
  FanotifyParentResolver Parents() {
    if (case_.parents.empty()) return {};
    return [this](const FanotifyFileKey& key) -> std::optional<FanotifyEntry> {
      for (const auto& [child, parent] : case_.parents) {
        if (TestKey(child) == key) return FanotifyEntry{TestKey(parent.first), parent.second};
      }
      return std::nullopt;
    };
  }

  std::map<FanotifyFileKey, std::string> paths{
      {TestKey("slash"), "/"},           {TestKey("root"), "/real"},
      {TestKey("w"), "/real/w"},         {TestKey("sub"), "/real/w/sub"},
      {TestKey("deep"), "/real/w/sub/deep"}, {TestKey("other"), "/real/other"},
  };
  std::map<FanotifyFileKey, int> asked;

 private:
  const Case& case_;
};

void RunCase(const Case& c) {
  SCOPED_TRACE(c.what);
  FakeKernel kernel(c);
  const FanotifyFolder folder = c.watchRoot
                                    ? FanotifyFolder{"/", "/", TestKey("slash"), true}
                                    : FanotifyFolder{"/watched/", "/real/w/", TestKey("w"), c.subtree};
  FanotifyDecoder decoder(folder, kernel.Resolver(), kernel.Probe(), kernel.Parents());
  std::vector<std::string> log;
  DrainResult result;
  for (size_t drain = 0; drain < c.drains.size(); ++drain) {
    if (drain > 0) log.push_back("|");
    if (drain == 1) {
      for (const std::string& key : c.goneAfterFirstDrain) kernel.paths.erase(TestKey(key));
    }
    RecordBuilder builder;
    for (const Event& event : c.drains[drain]) builder.Event(event.mask, kPid, event.infos);
    std::vector<RawChange> out;
    result = decoder.Decode(builder.bytes(), out);
    // Nothing more arrives: what waited for its directory goes as it can.
    if (drain + 1 == c.drains.size() && result.pendingPairs) decoder.FlushHeld(out);
    for (const RawChange& change : out) {
      EXPECT_EQ(change.pid, kPid);
      EXPECT_FALSE(change.fromScan);
      const bool name = change.action != RawAction::kModified &&
                        change.action != RawAction::kAttrib &&
                        change.action != RawAction::kAccessed;
      if (name || !c.namesOnly) log.push_back(Describe(change));
    }
  }
  EXPECT_EQ(log, c.log);
  EXPECT_FALSE(decoder.holding());
  EXPECT_EQ(result.ended, c.ended);
  EXPECT_EQ(result.overflows, c.overflows);
  EXPECT_EQ(decoder.malformed(), 0u);
  for (const auto& [key, count] : c.asked) EXPECT_EQ(kernel.asked[TestKey(key)], count) << key;
  for (const std::string& key : c.uncached) EXPECT_EQ(decoder.cache().Find(TestKey(key)), nullptr);
}

TEST(FanotifyDecoderTest, TranslatesEachKindOfEventAndEndsWhenTheFolderGoes) {
  const Case cases[] = {
      {"create file", {{{FAN_CREATE, {Dfid("w", "a.txt"), Fid("f")}}}}, {"created a.txt"}},
      {"create folder", {{{FAN_CREATE | FAN_ONDIR, {Dfid("w", "d"), Fid("d")}}}}, {"created/ d"}},
      {"merged create and attrib (touch)", {{{FAN_CREATE | FAN_ATTRIB, {Dfid("sub", "t")}}}},
       {"created sub/t", "attrib sub/t"}},
      {"modify deep down", {{{FAN_MODIFY, {Dfid("deep", "x"), Fid("x")}}}}, {"modified sub/deep/x"}},
      {"read", {{{FAN_ACCESS, {Dfid("w", "r")}}}}, {"accessed r"}},
      {"delete", {{{FAN_DELETE, {Dfid("sub", "gone")}}}}, {"deleted sub/gone"}},
      {"attrib of a folder itself", {{{FAN_ATTRIB | FAN_ONDIR, {Dfid("sub", ".")}}}}, {"attrib/ sub"}},
      {"attrib of the watched folder is not below it",
       {{{FAN_ATTRIB | FAN_ONDIR, {Dfid("w", ".")}}}}, {}},
      {"rename within", {{{FAN_RENAME, {OldDfid("w", "a"), NewDfid("sub", "b"), Fid("f")}}}},
       {"renamed a -> sub/b"}},
      {"folder renamed within",
       {{{FAN_RENAME | FAN_ONDIR, {OldDfid("sub", "deep"), NewDfid("w", "up"), Fid("deep")}}}},
       {"renamed/ sub/deep -> up"}},
      {"move out", {{{FAN_RENAME, {OldDfid("w", "a"), NewDfid("other", "a")}}}}, {"movedout a"}},
      {"move in", {{{FAN_RENAME, {OldDfid("other", "a"), NewDfid("sub", "a")}}}}, {"movedin sub/a"}},
      {"outside the folder",
       {{{FAN_CREATE, {Dfid("other", "x")}},
         {FAN_MODIFY, {Dfid("root", "wx")}},  // a sibling sharing the folder's name as prefix
         {FAN_RENAME, {OldDfid("other", "x"), NewDfid("root", "y")}}}},
       {}},
      {"unknown directory is skipped, the rest goes on",
       {{{FAN_CREATE, {Dfid("stale", "x")}}, {FAN_DELETE, {Dfid("w", "y")}}}}, {"deleted y"}},
      {.what = "overflow between events",
       .drains = {{{FAN_CREATE, {Dfid("w", "a")}}, {FAN_Q_OVERFLOW, {}}, {FAN_DELETE, {Dfid("w", "a")}}}},
       .log = {"created a", "deleted a"}, .overflows = 1},
      {.what = "without sub-folders",
       .drains = {{{FAN_CREATE, {Dfid("sub", "x")}},
                   {FAN_CREATE, {Dfid("w", "y")}},
                   {FAN_ATTRIB | FAN_ONDIR, {Dfid("sub", ".")}},
                   {FAN_RENAME, {OldDfid("w", "y"), NewDfid("sub", "y")}}}},
       .log = {"created y", "attrib/ sub", "movedout y"}, .subtree = false},
      {.what = "watching the root keeps every path",
       .drains = {{{FAN_CREATE, {Dfid("slash", "top")}}, {FAN_CREATE, {Dfid("deep", "x")}}}},
       .log = {"created /top", "created /real/w/sub/deep/x"}, .watchRoot = true},
      // A deletion merged into an earlier record of the name stays at that
      // record unless a later record of the drain is about the name.
      {"merged deletion, nothing later about the name",
       {{{FAN_CREATE | FAN_DELETE, {Dfid("w", "foo"), Fid("foo")}},
         {FAN_ATTRIB, {Fid("foo")}},  // its link count, nameless
         {FAN_CREATE | FAN_ONDIR, {Dfid("w", "apple"), Fid("apple")}},
         {FAN_RENAME | FAN_ONDIR, {OldDfid("w", "apple"), NewDfid("w", "pear"), Fid("apple")}}}},
       {"created foo", "deleted foo", "created/ apple", "renamed/ apple -> pear"}},
      {"merged deletion before a new file of the name",
       {{{FAN_MODIFY | FAN_DELETE, {Dfid("w", "foo"), Fid("foo")}},
         {FAN_CREATE, {Dfid("w", "foo"), Fid("foo2")}}}},
       {"modified foo", "deleted foo", "created foo"}},
  };
  for (const Case& c : cases) RunCase(c);
  // The watch ends when the folder goes, and reports nothing after.
  const Event before{FAN_CREATE, {Dfid("w", "first")}};
  const Event after{FAN_CREATE, {Dfid("w", "late")}};
  const std::pair<const char*, Event> ends[] = {
      {"deleted (self event)", {FAN_DELETE_SELF | FAN_ONDIR, {Dfid("w", ".")}}},
      {"moved (self event)", {FAN_MOVE_SELF | FAN_ONDIR, {Fid("w")}}},
      {"deleted (parent's event)", {FAN_DELETE | FAN_ONDIR, {Dfid("root", "w"), Fid("w")}}},
      {"deleted (parent's event, no handle of the child)", {FAN_DELETE | FAN_ONDIR, {Dfid("root", "w")}}},
      {"renamed", {FAN_RENAME | FAN_ONDIR, {OldDfid("root", "w"), NewDfid("root", "v")}}},
      {"a folder above moved",
       {FAN_RENAME | FAN_ONDIR, {OldDfid("slash", "real"), NewDfid("slash", "moved")}}},
      {"another folder moved onto it",
       {FAN_RENAME | FAN_ONDIR, {OldDfid("root", "other"), NewDfid("root", "w")}}},
  };
  for (const auto& [what, end] : ends) {
    RunCase({.what = what, .drains = {{before, end, after}}, .log = {"created first"}, .ended = true});
  }
  RunCase({"a sibling with a longer name deleted is no end",
           {{{FAN_DELETE | FAN_ONDIR, {Dfid("root", "w2"), Fid("w2")}}}}, {}});
}

// Directories the kernel no longer finds (deleted, renamed) or never named to
// the decoder: the records and the cache tell where they were.
TEST(FanotifyDecoderTest, PlacesRecordsInDirectoriesThatMovedOrWent) {
  const Case cases[] = {
      // rm -r of w/t/u/f, all gone before the events are read: the kernel finds
      // neither t nor u; their own deletion records tell where they were.
      {.what = "directories deleted before the read",
       .drains = {{{FAN_DELETE, {Dfid("u", "f"), Fid("f")}},
                   {FAN_DELETE | FAN_ONDIR, {Dfid("t", "u"), Fid("u")}},
                   {FAN_DELETE | FAN_ONDIR, {Dfid("w", "t"), Fid("t")}}}},
       .log = {"deleted t/u/f", "deleted/ t/u", "deleted/ t"}, .uncached = {"t", "u"}},
      // Deleted by now: only the creation record knows where it was.
      {.what = "a new directory is known from its creation on",
       .drains = {{{FAN_CREATE | FAN_ONDIR, {Dfid("sub", "n"), Fid("new")}}},
                  {{FAN_CREATE, {Dfid("new", "f")}}}},
       .log = {"created/ sub/n", "|", "created sub/n/f"}, .asked = {{"new", 0}}},
      // The fake kernel keeps the old paths: only the cache can know the new ones.
      {.what = "directory renames are followed in the cache",
       .drains = {{{FAN_MODIFY, {Dfid("deep", "x")}}},
                  {{FAN_RENAME | FAN_ONDIR, {OldDfid("w", "sub"), NewDfid("w", "s2"), Fid("sub")}},
                   {FAN_MODIFY, {Dfid("deep", "x")}},
                   {FAN_RENAME | FAN_ONDIR, {OldDfid("w", "s2"), NewDfid("other", "s3")}},
                   {FAN_MODIFY, {Dfid("deep", "x")}}}},  // outside now
       .log = {"modified sub/deep/x", "|", "renamed/ sub -> s2", "modified s2/deep/x", "movedout/ s2"},
       .asked = {{"deep", 1}}},
      // Existed before the watch, gone when read: only its record waits, for
      // the deletion of the directory; the folder's other rows go at once.
      {.what = "the deletion of an unknown directory is waited for, one drain",
       .drains = {{{FAN_DELETE, {Dfid("sub", "f.txt")}},
                   {FAN_CREATE, {Dfid("w", "after.txt"), Fid("after")}}},
                  {{FAN_DELETE | FAN_ONDIR, {Dfid("w", "sub"), Fid("sub")}}}},
       .log = {"created after.txt", "|", "deleted sub/f.txt", "deleted/ sub"},
       .paths = {{"sub", ""}}},
      {.what = "activity in deleted directories elsewhere never holds the folder back",
       .drains = {{{FAN_CREATE, {Dfid("gone0", "x")}}, {FAN_MODIFY, {Dfid("w", "mine")}}},
                  {{FAN_CREATE, {Dfid("gone1", "x")}}, {FAN_MODIFY, {Dfid("w", "mine")}}},
                  {{FAN_CREATE, {Dfid("gone2", "x")}}, {FAN_MODIFY, {Dfid("w", "mine")}}}},
       .log = {"modified mine", "|", "modified mine", "|", "modified mine"}},
      {.what = "a directory moved out of a parent deleted since is found by its own handle",
       .drains = {{{FAN_MODIFY, {Dfid("kid", "x")}}},
                  {{FAN_RENAME | FAN_ONDIR, {OldDfid("gone", "kid"), NewDfid("w", "k2"), Fid("kid")}}}},
       .log = {"modified gone/kid/x", "|", "renamed/ gone/kid -> k2"},
       .paths = {{"gone", "/real/w/gone"}, {"kid", "/real/w/gone/kid"}},
       .goneAfterFirstDrain = {"gone"}},
      // Once in the drain, once more when the held records go.
      {.what = "the kernel is asked once per unknown handle in a drain",
       .drains = {std::vector<Event>(5, {FAN_MODIFY, {Dfid("stale", "x")}})}, .log = {},
       .asked = {{"stale", 2}}},
      // sub/deep existed before the watch; a file in deep was deleted, then
      // sub renamed to s2, all before the read: the kernel knows only the new place.
      {.what = "records below a folder renamed before the read",
       .drains = {{{FAN_DELETE, {Dfid("deep", "x"), Fid("x")}},
                   {FAN_RENAME | FAN_ONDIR, {OldDfid("w", "sub"), NewDfid("w", "s2"), Fid("sub")}},
                   {FAN_CREATE, {Dfid("deep", "y"), Fid("y")}}}},
       .log = {"deleted sub/deep/x", "renamed/ sub -> s2", "created s2/deep/y"},
       .paths = {{"sub", "/real/w/s2"}, {"deep", "/real/w/s2/deep"}},
       .parents = {{"deep", {"sub", "deep"}}, {"sub", {"w", "s2"}}, {"w", {"root", "w"}}}},
  };
  for (const Case& c : cases) RunCase(c);
}

// Records as the kernel leaves them after merging identical events in its
// queue, and the names as they are when the records are read: the log's
// replay must end on the present state.
TEST(FanotifyDecoderTest, MergedRecordsGiveALogWhoseReplayEndsOnThePresentState) {
  const Event ab{FAN_RENAME, {OldDfid("w", "a"), NewDfid("w", "b"), Fid("f")}};
  const Event ba{FAN_RENAME, {OldDfid("w", "b"), NewDfid("w", "a"), Fid("f")}};
  const Event bc{FAN_RENAME, {OldDfid("w", "b"), NewDfid("w", "c"), Fid("f")}};
  const Event fg{FAN_RENAME, {OldDfid("w", "f"), NewDfid("w", "g"), Fid("x")}};
  const Event gf{FAN_RENAME, {OldDfid("w", "g"), NewDfid("w", "f"), Fid("x")}};
  const Case cases[] = {
      {.what = "a>b, b>a five times, then a>b: one record per direction", .drains = {{ab, ba}},
       .log = {"renamed a -> b", "renamed b -> a", "renamed a -> b"}, .namesOnly = true,
       .now = {{"/real/w/b", "f"}}},
      {.what = "the same, ending on a", .drains = {{ab, ba}},
       .log = {"renamed a -> b", "renamed b -> a"}, .namesOnly = true, .now = {{"/real/w/a", "f"}}},
      {.what = "the last rename read in the next drain is told once", .drains = {{ab, ba}, {ab}},
       .log = {"renamed a -> b", "renamed b -> a", "renamed a -> b", "|"}, .namesOnly = true,
       .now = {{"/real/w/b", "f"}}},
      {.what = "a later drain goes on from the records' own ends", .drains = {{ab, ba}, {ab, bc}},
       .log = {"renamed a -> b", "renamed b -> a", "|", "renamed a -> b", "renamed b -> c"},
       .namesOnly = true, .now = {{"/real/w/c", "f"}}},
      {.what = "created, written, renamed away and back, deleted",
       .drains = {{{FAN_CREATE | FAN_MODIFY | FAN_DELETE, {Dfid("w", "f"), Fid("x")}}, fg, gf}},
       .log = {"created f", "renamed f -> g", "renamed g -> f", "deleted f"}, .namesOnly = true},
      {.what = "deleted after a folded repeat of the rename back",
       .drains = {{{FAN_CREATE | FAN_DELETE, {Dfid("w", "f"), Fid("x")}}, fg, gf, fg}},
       .log = {"created f", "renamed f -> g", "renamed g -> f", "renamed f -> g", "renamed g -> f",
               "deleted f"},
       .namesOnly = true},
      {.what = "created and deleted, then created anew",
       .drains = {{{FAN_CREATE | FAN_DELETE, {Dfid("w", "f"), Fid("x")}},
                   {FAN_CREATE, {Dfid("w", "f"), Fid("y")}}}},
       .log = {"created f", "deleted f", "created f"}, .namesOnly = true, .now = {{"/real/w/f", "y"}}},
      {.what = "a folder and its file, both created and deleted",
       .drains = {{{FAN_CREATE | FAN_DELETE | FAN_ONDIR, {Dfid("w", "d"), Fid("d")}},
                   {FAN_CREATE | FAN_DELETE, {Dfid("d", "x"), Fid("x")}}}},
       .log = {"created/ d", "created d/x", "deleted d/x", "deleted/ d"}, .namesOnly = true},
      {.what = "a folded rename back found after the folder above moved",
       .drains = {{{FAN_RENAME, {OldDfid("sub", "a"), NewDfid("sub", "b"), Fid("f")}},
                   {FAN_RENAME | FAN_ONDIR, {OldDfid("w", "sub"), NewDfid("w", "s2"), Fid("sub")}}}},
       .log = {"renamed sub/a -> sub/b", "renamed/ sub -> s2", "renamed s2/b -> s2/a"},
       .paths = {{"sub", "/real/w/s2"}}, .namesOnly = true,
       .now = {{"/real/w/s2/a", "f"}, {"/real/w/s2", "sub"}}},
      {.what = "a folder renamed away and back carries its kept-back deletion",
       .drains = {{{FAN_CREATE | FAN_DELETE, {Dfid("sub", "x"), Fid("x")}},
                   {FAN_RENAME | FAN_ONDIR, {OldDfid("w", "sub"), NewDfid("w", "s2"), Fid("sub")}}}},
       .log = {"created sub/x", "renamed/ sub -> s2", "deleted s2/x"}, .namesOnly = true,
       .now = {{"/real/w/s2", "sub"}}},
  };
  for (const Case& c : cases) RunCase(c);
}

// Records about files outside the watched folder are passed over before they
// are taken apart, once the folder they are in is placed outside; a folder
// moved into or out of the watched tree changes that at once.
Event NewFile(const std::string& directory, const std::string& name) {
  return {FAN_CREATE, {Dfid(directory, name), Fid(name)}};
}
Event MovedDirectory(const std::string& from, const std::string& to, const std::string& name) {
  return {FAN_RENAME | FAN_ONDIR, {OldDfid(from, name), NewDfid(to, name), Fid(name)}};
}

// An outside-filter case: drains as the kernel gives them, how many records of each are
// taken apart, and the paths (below the watched folder) of the changes made.
struct OutsideCase {
  const char* what;
  std::vector<std::vector<Event>> drains;
  std::vector<size_t> parsed;
  std::vector<std::string> paths;
};

TEST(FanotifyOutsideFilterTest, PassesOverOutsideFilesUntilAFolderMoves) {
  const OutsideCase cases[] = {
      {"a file's change outside is passed over once its folder is placed",
       {{NewFile("other", "a")}, {NewFile("other", "b"), NewFile("w", "c")}},
       {1, 1},
       {"/watched/c"}},
      {"a folder moved in: its files are kept, in the same drain as the move",
       {{NewFile("away", "a")},
        {NewFile("away", "b"), MovedDirectory("other", "w", "away"), NewFile("away", "c")}},
       {1, 2},
       {"/watched/away", "/watched/away/c"}},
      {"a folder above moved in takes the folders below along",
       {{NewFile("deep", "a")}, {MovedDirectory("root", "w", "other")}, {NewFile("deep", "b")}},
       {1, 1, 1},
       {"/watched/other", "/watched/other/deep/b"}},
      {"a file's last link removed: its attribute change names no folder and is passed over",
       {{{FAN_ATTRIB, {Fid("gone")}}, NewFile("w", "c")}},
       {1},
       {"/watched/c"}},
      {"a folder moved out: its files are passed over from the next drain on",
       {{NewFile("sub", "a")}, {MovedDirectory("w", "other", "sub"), NewFile("sub", "b")},
        {NewFile("sub", "c")}},
       {1, 2, 0},
       {"/watched/sub/a", "/watched/sub"}},
  };
  for (const OutsideCase& c : cases) {
    SCOPED_TRACE(c.what);
    const Case outside{.what = c.what, .drains = {}, .log = {},
                       .paths = {{"away", "/real/other/away"}, {"deep", "/real/other/deep"}}};
    FakeKernel kernel(outside);
    FanotifyDecoder decoder({"/watched/", "/real/w/", TestKey("w"), true}, kernel.Resolver());
    std::vector<std::string> paths;
    for (size_t drain = 0; drain < c.drains.size(); ++drain) {
      RecordBuilder builder;
      for (const Event& event : c.drains[drain]) builder.Event(event.mask, 1, event.infos);
      std::vector<FanotifyRecord> records;
      decoder.Parse(builder.bytes(), records);
      EXPECT_EQ(records.size(), c.parsed[drain]) << "drain " << drain;
      std::vector<RawChange> out;
      decoder.DecodeRecords(records, out);
      for (const RawChange& change : out) paths.push_back(change.path);
    }
    EXPECT_EQ(paths, c.paths);
  }
}

}  // namespace
}  // namespace tavrek::engine
