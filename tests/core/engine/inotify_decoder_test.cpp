#include "core/engine/backend/inotify/inotify_decoder.h"

#include <gtest/gtest.h>
#include <sys/inotify.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "support/raw_action_name.h"

namespace tavrek::engine {
namespace {

// One synthetic kernel record; `length` 0 pads the name to the next 16 bytes
// as the kernel does.
struct Record {
  int32_t wd;
  uint32_t mask;
  std::string name = {};
  uint32_t cookie = 0;
  uint32_t length = 0;
};

constexpr size_t kNamePadding = 16;

std::vector<std::byte> Buffer(const std::vector<Record>& records) {
  std::vector<std::byte> buffer;
  for (const Record& record : records) {
    inotify_event header{};
    header.wd = record.wd;
    header.mask = record.mask;
    header.cookie = record.cookie;
    header.len = record.length;
    if (header.len == 0 && !record.name.empty()) {
      header.len = static_cast<uint32_t>((record.name.size() / kNamePadding + 1) * kNamePadding);
    }
    const size_t start = buffer.size();
    buffer.resize(start + sizeof header + header.len);
    std::memcpy(buffer.data() + start, &header, sizeof header);
    std::memcpy(buffer.data() + start + sizeof header, record.name.data(),
                std::min<size_t>(record.name.size(), header.len));
  }
  return buffer;
}

std::string Describe(const RawChange& change) {
  std::string text(testing::RawActionName(change.action));
  if (change.isDirectory) text += "/";
  text += " ";
  if (!change.oldPath.empty()) text += change.oldPath + " -> ";
  text += change.path;
  if (change.fromScan) text += " scan";
  return text;
}

std::vector<std::string> DescribeAll(const std::vector<RawChange>& changes) {
  std::vector<std::string> texts;
  for (const RawChange& change : changes) texts.push_back(Describe(change));
  return texts;
}

// Watches directories in memory: new ones get descriptors from 100 on, and a
// reporting scan finds one entry "s" in each. Names beginning with "missing"
// are not found by their path; a name in `returning` is the directory of that
// watch, come back.
class FakeHooks : public DirectoryWatchHooks {
 public:
  FakeHooks(DirectoryTree& tree, ScanEchoes& echoes) : tree_(tree), echoes_(echoes) {}
  void WatchDirectory(NodeId parent, std::string_view name, ScanMode mode,
                      std::vector<RawChange>& out) override {
    std::string path;
    tree_.AppendPath(parent, path);
    path += name;
    static constexpr const char* kModes[] = {" silent", " report", " arrival"};
    calls.push_back("watch " + path + kModes[static_cast<int>(mode)]);
    if (name.starts_with("missing")) {
      echoes_.NoteMissed(tree_.WatchOf(parent), name, mode == ScanMode::kArrival);
      return;
    }
    NodeId node = tree_.FindChild(parent, name);
    if (auto back = returning.find(std::string(name)); back != returning.end()) {
      if (mode == ScanMode::kReport) {  // left to its rename
        echoes_.NoteMet(back->second, tree_.WatchOf(parent), name, true);
        return;
      }
      node = tree_.FindByWatch(back->second);
      tree_.Move(node, parent, name);
    }
    if (node != kNoNode && mode == ScanMode::kArrival) echoes_.NoteRepathed(tree_.WatchOf(node));
    if (node == kNoNode) node = tree_.Add(nextWatch_++, parent, name);
    const int32_t wd = tree_.WatchOf(node);
    if (auto met = meets.find(std::string(name)); met != meets.end()) {
      echoes_.NoteMet(met->second.first, wd, met->second.second, false);
    }
    auto held = holds.find(std::string(name));
    if (held != holds.end() && Reports(mode)) tree_.Add(nextWatch_++, node, held->second);
    if (Reports(mode)) {
      RawChange& found = out.emplace_back();
      found.path = path + "/s";
      found.fromScan = true;
      echoes_.NoteCreated(wd, "s");
      echoes_.NoteReported(wd);
      tree_.EntriesOf(node).Assign(std::string_view("s\0", 2));
    }
  }
  void RemoveWatches(std::span<const int32_t> watches) override {
    std::vector<int32_t> sorted(watches.begin(), watches.end());
    std::sort(sorted.begin(), sorted.end());
    std::string call = "unwatch";
    for (int32_t wd : sorted) call += " " + std::to_string(wd);
    calls.push_back(call);
  }
  std::vector<std::string> calls;
  std::map<std::string, int32_t> returning;
  // The scan of a directory of this name meets the directory of that watch
  // in it under that name.
  std::map<std::string, std::pair<int32_t, std::string>> meets;
  std::map<std::string, std::string> holds;  // a directory's name -> one it holds

 private:
  DirectoryTree& tree_;
  ScanEchoes& echoes_;
  int32_t nextWatch_ = 100;
};

// Every test's tree: /w/ (wd 1) holding a/ (wd 2) holding b/ (wd 3).
struct Fixture {
  Fixture() {
    tree.Reset("/w/", 1);
    tree.Add(3, tree.Add(2, tree.root(), "a"), "b");
  }
  DirectoryTree tree;
  ScanEchoes echoes;
  FakeHooks hooks{tree, echoes};
};

enum class After { kNothing, kFlush, kAgeOnce, kAgeTwice };
using Step = std::function<void(Fixture&)>;

// A new directory n/ (wd 4) holding "b2", where a scan may meet b/ (wd 3).
void AddNHoldingB2(Fixture& f) {
  f.tree.EntriesOf(f.tree.Add(4, f.tree.root(), "n")).Assign(std::string_view("b2\0", 3));
}

// n/ holds b2, which a scan of n/ (watch 4, reported) met as watch 3's folder.
void ScanMetB2InN(Fixture& f) {
  AddNHoldingB2(f);
  f.echoes.NoteReported(4);
  f.echoes.NoteMet(3, 4, "b2", false);
}

struct DecodeCase {
  const char* title;
  std::vector<Record> records;
  std::vector<std::string> changes = {};
  std::vector<std::string> calls = {};
  After after = After::kNothing;
  bool pending = false;
  uint32_t overflows = 0;
  bool ended = false;
  bool subtree = true;
  std::vector<std::pair<int32_t, std::string>> scannedNames = {};
  std::vector<std::pair<int32_t, std::string>> ownReads = {};
  // Set-up before the decoder is made; a second read, with what happens
  // between the two (`ageBetween`: a drain ends between them).
  Step prepare = {};
  std::vector<Record> later = {};
  Step between = {};
  bool ageBetween = false;
  bool flushBetween = false;
};

const DecodeCase kCases[] = {
    {"file created", {{1, IN_CREATE, "f"}}, {"created /w/f"}},
    {"nested path", {{3, IN_CREATE, "f"}}, {"created /w/a/b/f"}},
    {"directory created is watched and scanned",
     {{1, IN_CREATE | IN_ISDIR, "d"}, {101, IN_CREATE, "x"}},
     {"created/ /w/d", "created /w/d/s scan"}, {"watch /w/d report"}},
    {.title = "subtree off watches nothing new", .records = {{1, IN_CREATE | IN_ISDIR, "d"}},
     .changes = {"created/ /w/d"}, .subtree = false},
    {"delete, write, metadata, read",
     {{2, IN_DELETE, "f"}, {2, IN_MODIFY, "g"}, {2, IN_ATTRIB | IN_ISDIR, "b"}, {2, IN_ACCESS, "g"}},
     {"deleted /w/a/f", "modified /w/a/g", "attrib/ /w/a/b", "accessed /w/a/g"}},
    {"rename pairs adjacent halves", {{1, IN_MOVED_FROM, "x", 7}, {2, IN_MOVED_TO, "y", 7}},
     {"renamed /w/x -> /w/a/y"}},
    {"rename pairs halves apart, by cookie, in the first half's place",
     {{1, IN_MOVED_FROM, "x", 7}, {1, IN_MOVED_FROM, "p", 8}, {1, IN_CREATE, "z"},
      {1, IN_MOVED_TO, "y", 7}, {1, IN_MOVED_TO, "q", 8}},
     {"renamed /w/x -> /w/y", "renamed /w/p -> /w/q", "created /w/z"}},
    {.title = "what follows a lone first half waits with it",
     .records = {{1, IN_MOVED_FROM, "x", 7}, {1, IN_CREATE, "z"}}, .pending = true},
    {.title = "a flushed first half keeps its place",
     .records = {{1, IN_CREATE, "w"}, {1, IN_MOVED_FROM, "x", 7}, {1, IN_CREATE, "z"}},
     .changes = {"created /w/w", "movedout /w/x", "created /w/z"}, .after = After::kFlush},
    {.title = "a lone first half survives one drain", .records = {{1, IN_MOVED_FROM, "x", 7}},
     .after = After::kAgeOnce, .pending = true},
    {.title = "a lone first half is a move out after two drains",
     .records = {{1, IN_MOVED_FROM, "x", 7}}, .changes = {"movedout /w/x"},
     .after = After::kAgeTwice},
    {"a lone second half is a move in", {{2, IN_MOVED_TO, "y", 7}}, {"movedin /w/a/y"}},
    {"a directory moved in is watched and scanned", {{1, IN_MOVED_TO | IN_ISDIR, "d", 7}},
     {"movedin/ /w/d", "created /w/d/s scan"}, {"watch /w/d arrival"}},
    {"a renamed directory carries its subtree",
     {{1, IN_MOVED_FROM | IN_ISDIR, "a", 9}, {1, IN_MOVED_TO | IN_ISDIR, "c", 9},
      {3, IN_CREATE, "f"}},
     {"renamed/ /w/a -> /w/c", "created /w/c/b/f"}},
    {.title = "a directory moved out loses its watches, and what it reports after it left",
     .records = {{1, IN_MOVED_FROM | IN_ISDIR, "a", 9}, {3, IN_CREATE, "outside"},
                 {1, IN_MOVED_FROM, "x", 4}, {2, IN_MOVED_FROM, "y", 5}, {1, IN_CREATE, "inside"}},
     .changes = {"movedout/ /w/a", "movedout /w/x", "created /w/inside"},
     .calls = {"unwatch 2 3"}, .after = After::kFlush},
    {.title = "a directory moved out and deleted before its move was decided takes its reports",
     .records = {{1, IN_MOVED_FROM | IN_ISDIR, "a", 9}, {3, IN_CREATE, "outside"}, {3, IN_IGNORED},
                 {2, IN_DELETE, "x"}, {2, IN_IGNORED}, {1, IN_CREATE, "inside"}},
     .changes = {"movedout/ /w/a", "created /w/inside"},
     .calls = {"unwatch 3", "unwatch 2"}, .after = After::kFlush},
    {.title = "a departed directory's renames across its edge are arrivals and departures",
     .records = {{1, IN_MOVED_FROM | IN_ISDIR, "a", 9}, {2, IN_MOVED_FROM, "x", 4},
                 {1, IN_MOVED_TO, "y", 4}, {1, IN_MOVED_FROM, "p", 5}, {2, IN_MOVED_TO, "q", 5},
                 {2, IN_MOVED_FROM, "inner", 8}, {2, IN_MOVED_TO, "inner2", 8}},
     .changes = {"movedout/ /w/a", "movedin /w/y", "movedout /w/p"},
     .calls = {"unwatch 2 3"}, .after = After::kFlush},
    // Its scan comes last and tells what it holds then (here only "s").
    {.title = "a directory renamed out of a departed one is scanned, and what it said inside dropped",
     .records = {{1, IN_MOVED_FROM | IN_ISDIR, "a", 9}, {3, IN_CREATE, "early"},
                 {2, IN_MOVED_FROM | IN_ISDIR, "b", 6}, {1, IN_MOVED_TO | IN_ISDIR, "c", 6},
                 {3, IN_CREATE, "later"}, {3, IN_MOVED_FROM, "out", 5}, {1, IN_MOVED_TO, "top", 5}},
     .changes = {"movedout/ /w/a", "movedin/ /w/c", "movedin /w/top", "created /w/c/s scan"},
     .calls = {"unwatch 2", "watch /w/c arrival"}, .after = After::kFlush},
    {.title = "... also when the name renamed out of it was never logged",
     .records = {{1, IN_MOVED_FROM | IN_ISDIR, "a", 9}, {2, IN_MOVED_FROM | IN_ISDIR, "b", 6},
                 {1, IN_MOVED_TO | IN_ISDIR, "c", 6}, {3, IN_MOVED_FROM, "out", 5},
                 {1, IN_MOVED_TO, "top", 5}},
     .changes = {"movedout/ /w/a", "movedin/ /w/c", "movedin /w/top", "created /w/c/s scan"},
     .calls = {"unwatch 2", "watch /w/c arrival"}, .after = After::kFlush,
     .prepare = [](Fixture& f) { f.echoes.NoteReported(3); }},
    // b/ came back alone and is read again, not only m/ missed below it.
    {.title = "a rename between a departed directory and one that came back out of it is dropped",
     .records = {{1, IN_MOVED_FROM | IN_ISDIR, "a", 9}, {2, IN_MOVED_FROM, "f", 5},
                 {3, IN_MOVED_TO, "g", 5}, {3, IN_MOVED_FROM, "h", 4}, {1, IN_MOVED_TO, "h", 4},
                 {2, IN_MOVED_FROM | IN_ISDIR, "b", 6}, {1, IN_MOVED_TO | IN_ISDIR, "c", 6},
                 {2, IN_MOVED_FROM, "k", 3}, {3, IN_MOVED_TO, "k2", 3}},
     .changes = {"movedout/ /w/a", "movedin /w/h", "movedin/ /w/c", "created /w/c/s scan"},
     .calls = {"watch /w/c/m report", "unwatch 2", "watch /w/c arrival"}, .after = After::kFlush,
     .prepare = [](Fixture& f) { f.echoes.NoteMissed(3, "m", false); }},
    // c/ and d/, made in it since, went before a/'s departure was decided.
    {.title = "a directory that came out of a departed one and went takes its reports along",
     .records = {{1, IN_MOVED_FROM | IN_ISDIR, "a", 9}, {2, IN_MOVED_FROM, "f", 5},
                 {3, IN_MOVED_TO, "g", 5}, {2, IN_MOVED_FROM | IN_ISDIR, "b", 6},
                 {1, IN_MOVED_TO | IN_ISDIR, "c", 6}, {3, IN_DELETE, "g"},
                 {3, IN_CREATE | IN_ISDIR, "d"}, {100, IN_DELETE, "s"}, {100, IN_IGNORED},
                 {3, IN_IGNORED}, {1, IN_DELETE | IN_ISDIR, "c"}},
     .changes = {"movedout/ /w/a", "movedin/ /w/c", "deleted/ /w/c"},
     .calls = {"watch /w/c/d report", "unwatch 100", "unwatch 3", "unwatch 2"},
     .after = After::kFlush},
    {.title = "... also when a scan met it where it went",
     .records = {{1, IN_MOVED_FROM | IN_ISDIR, "a", 9}, {3, IN_CREATE, "x"},
                 {2, IN_MOVED_FROM | IN_ISDIR, "b", 6}, {3, IN_IGNORED}, {4, IN_DELETE | IN_ISDIR, "b2"}},
     .changes = {"movedout/ /w/a", "movedin/ /w/n/b2", "deleted/ /w/n/b2"},
     .calls = {"unwatch 3", "unwatch 2"}, .after = After::kFlush, .prepare = ScanMetB2InN},
    // c/ left and came back as e/, read there already, then renamed to g/.
    {.title = "a directory read again after it came out of a departed one is read once",
     .records = {{1, IN_MOVED_FROM | IN_ISDIR, "a", 9}, {2, IN_MOVED_FROM | IN_ISDIR, "b", 6},
                 {1, IN_MOVED_TO | IN_ISDIR, "c", 6}, {1, IN_MOVED_FROM | IN_ISDIR, "c", 7},
                 {1, IN_MOVED_TO | IN_ISDIR, "e", 8}, {1, IN_MOVED_FROM | IN_ISDIR, "e", 10},
                 {1, IN_MOVED_TO | IN_ISDIR, "g", 10}},
     .changes = {"movedout/ /w/a", "movedin/ /w/c", "movedout/ /w/c", "movedin/ /w/e",
                 "renamed/ /w/e -> /w/g", "created /w/g/s scan"},
     .calls = {"watch /w/e arrival", "unwatch 2", "watch /w/g arrival"}, .after = After::kFlush,
     .prepare = [](Fixture& f) { f.hooks.returning["e"] = 3; }},
    // Deleted before it could be read: k was never logged.
    {.title = "a directory that came out of a departed one and could not be read says nothing",
     .records = {{1, IN_MOVED_FROM | IN_ISDIR, "a", 9}, {2, IN_MOVED_FROM | IN_ISDIR, "b", 6},
                 {1, IN_MOVED_TO | IN_ISDIR, "missing-c", 6}},
     .changes = {"movedout/ /w/a", "movedin/ /w/missing-c"},
     .calls = {"unwatch 2", "watch /w/missing-c arrival"},
     .later = {{3, IN_DELETE, "k"}}, .flushBetween = true},
    {.title = "a directory that left one which left after it is deleted with its own move",
     .records = {{2, IN_MOVED_FROM | IN_ISDIR, "b", 5}, {3, IN_CREATE, "x"},
                 {1, IN_MOVED_FROM | IN_ISDIR, "a", 6}, {3, IN_IGNORED}},
     .changes = {"movedout/ /w/a/b", "movedout/ /w/a"},
     .calls = {"unwatch 3", "unwatch 2"}, .after = After::kFlush},
    {.title = "a directory that left a departed one while its move waited goes with it",
     .records = {{1, IN_MOVED_FROM | IN_ISDIR, "a", 9}, {2, IN_MOVED_FROM | IN_ISDIR, "b", 6},
                 {3, IN_CREATE, "f"}, {3, IN_IGNORED}, {1, IN_CREATE, "inside"}},
     .changes = {"movedout/ /w/a", "created /w/inside"},
     .calls = {"unwatch 3", "unwatch 2"}, .after = After::kFlush},
    {"a directory arriving while its path is gone is scanned as an arrival at its rename",
     {{1, IN_MOVED_TO | IN_ISDIR, "missing-in", 7}, {1, IN_MOVED_FROM | IN_ISDIR, "missing-in", 8},
      {1, IN_MOVED_TO | IN_ISDIR, "d", 8}},
     {"movedin/ /w/missing-in", "renamed/ /w/missing-in -> /w/d", "created /w/d/s scan"},
     {"watch /w/missing-in arrival", "watch /w/d arrival"}},
    {.title = "a directory renamed before its arrival was read is read at its rename",
     .records = {{1, IN_MOVED_FROM | IN_ISDIR, "missing-c", 5}, {1, IN_MOVED_TO | IN_ISDIR, "d", 5}},
     .changes = {"renamed/ /w/missing-c -> /w/d", "created /w/d/s scan"},
     .calls = {"watch /w/d arrival"}, .prepare = [](Fixture& f) {
       f.echoes.NoteMissed(1, f.tree.NameOf(f.tree.Add(4, f.tree.root(), "missing-c")), true);
     }},
    {.title = "a watched directory the log lacks the contents of is read at its rename",
     .records = {{2, IN_MOVED_FROM | IN_ISDIR, "b", 5}, {1, IN_MOVED_TO | IN_ISDIR, "c", 5}},
     .changes = {"renamed/ /w/a/b -> /w/c", "created /w/c/s scan"},
     .calls = {"watch /w/c arrival"}, .prepare = [](Fixture& f) { f.echoes.NoteUnread(3); }},
    {.title = "a directory renamed to a name a scan logged but missed is read there",
     .records = {{2, IN_MOVED_FROM | IN_ISDIR, "b", 5}, {1, IN_MOVED_TO | IN_ISDIR, "missing-c", 5},
                 {3, IN_DELETE, "f"}},
     .changes = {"movedout/ /w/a/b"}, .calls = {"watch /w/missing-c arrival"},
     .after = After::kFlush, .prepare = [](Fixture& f) {
       f.echoes.NoteReported(1); f.echoes.NoteMissed(1, "missing-c", false);
       f.tree.EntriesOf(f.tree.root()).Assign(std::string_view("missing-c\0", 10));
     }},
    {.title = "... also when its old name was not logged either",
     .records = {{2, IN_MOVED_FROM | IN_ISDIR, "b", 5}, {1, IN_MOVED_TO | IN_ISDIR, "missing-c", 5},
                 {3, IN_CREATE, "f"}},
     .changes = {"movedin/ /w/missing-c"}, .calls = {"watch /w/missing-c arrival"},
     .prepare = [](Fixture& f) { f.echoes.NoteReported(2); }},
    {"a directory renamed before it was watched is scanned",
     {{1, IN_MOVED_FROM | IN_ISDIR, "n", 5}, {1, IN_MOVED_TO | IN_ISDIR, "m", 5}},
     {"renamed/ /w/n -> /w/m", "created /w/m/s scan"}, {"watch /w/m report"}},
    {"a directory missed by its path is tried again when its parent's rename is read",
     {{3, IN_CREATE | IN_ISDIR, "missing"}, {1, IN_MOVED_FROM | IN_ISDIR, "a", 4},
      {1, IN_MOVED_TO | IN_ISDIR, "z", 4}, {1, IN_CREATE | IN_ISDIR, "missing-too"},
      {1, IN_MOVED_FROM | IN_ISDIR, "other", 6}, {1, IN_MOVED_TO | IN_ISDIR, "other2", 6}},
     {"created/ /w/a/b/missing", "renamed/ /w/a -> /w/z", "created/ /w/missing-too",
      "renamed/ /w/other -> /w/other2", "created /w/other2/s scan"},
     {"watch /w/a/b/missing report", "watch /w/z/b/missing report", "watch /w/missing-too report",
      "watch /w/other2 report"}},
    {"records from before a scan of a new directory agree with what the scan reported",
     {{1, IN_CREATE | IN_ISDIR, "d"}, {100, IN_CREATE, "s"}, {100, IN_CREATE, "x"},
      {100, IN_MOVED_FROM, "x", 5}, {100, IN_MOVED_TO, "s", 5}, {100, IN_DELETE, "early"},
      {100, IN_MOVED_FROM, "before", 6}, {100, IN_MOVED_TO, "s", 6},
      {100, IN_MOVED_FROM, "before2", 7}, {100, IN_MOVED_TO, "late", 7}, {100, IN_DELETE, "late"}},
     {"created/ /w/d", "created /w/d/s scan", "created /w/d/x", "movedout /w/d/x",
      "movedin /w/d/late", "deleted /w/d/late"},
     {"watch /w/d report"}},
    {.title = "a name the scan never saw leaves the tree unlogged",
     .records = {{1, IN_CREATE | IN_ISDIR, "d"}, {100, IN_MOVED_FROM, "early", 5},
                 {100, IN_MOVED_FROM, "s", 6}},
     .changes = {"created/ /w/d", "created /w/d/s scan", "movedout /w/d/s"},
     .calls = {"watch /w/d report"}, .after = After::kFlush},
    {.title = "overflow has no watch", .records = {{-1, IN_Q_OVERFLOW}, {1, IN_CREATE, "f"}},
     .changes = {"created /w/f"}, .overflows = 1},
    {.title = "folder deleted ends", .records = {{1, IN_DELETE_SELF}}, .ended = true},
    {.title = "folder moved away ends", .records = {{1, IN_MOVE_SELF}}, .ended = true},
    {.title = "what follows the folder's move in the same read happened elsewhere",
     .records = {{1, IN_CREATE, "before"}, {1, IN_MOVE_SELF}, {1, IN_CREATE, "file"},
                 {2, IN_CREATE, "f"}},
     .changes = {"created /w/before"}, .ended = true},
    {.title = "folder unmounted ends", .records = {{1, IN_UNMOUNT}}, .ended = true},
    {.title = "folder's watch dropped ends", .records = {{1, IN_IGNORED}}, .ended = true},
    {"a dropped subdirectory is forgotten",
     {{3, IN_DELETE_SELF}, {3, IN_IGNORED}, {3, IN_CREATE, "late"}, {2, IN_DELETE | IN_ISDIR, "b"}},
     {"deleted/ /w/a/b"}, {"unwatch 3"}},
    {"records about a watched directory itself, or of no watch, are skipped",
     {{2, IN_ATTRIB}, {1, IN_MODIFY}, {77, IN_CREATE, "unknown-watch"}}, {}},
    {"names with extra padding and records without a name",
     {{1, IN_CREATE, "f", 0, 64}, {2, IN_ATTRIB}, {1, IN_DELETE, "g", 0, 4}},
     {"created /w/f", "deleted /w/g"}},
    {.title = "a scan's report is not repeated by the kernel, once",
     .records = {{1, IN_CREATE, "f"}, {1, IN_CREATE, "f"}, {1, IN_CREATE | IN_ISDIR, "d"}},
     .changes = {"created /w/f"}, .scannedNames = {{1, "f"}, {1, "d"}}},
    {.title = "a name deleted after the scan is new when it comes back",
     .records = {{1, IN_DELETE, "f"}, {1, IN_CREATE, "f"}},
     .changes = {"deleted /w/f", "created /w/f"}, .scannedNames = {{1, "f"}}},
    {.title = "the scan's own reading of a directory is no access",
     .records = {{1, IN_ACCESS | IN_ISDIR, "d"}, {1, IN_ACCESS | IN_ISDIR, "d"},
                 {1, IN_ACCESS, "file"}},
     .changes = {"accessed /w/file"}, .ownReads = {{1, "d"}}},
    {.title = "halves split across reads are paired",
     .records = {{1, IN_MOVED_FROM, "x", 4}}, .changes = {"renamed /w/x -> /w/y"},
     .later = {{1, IN_MOVED_TO, "y", 4}}, .ageBetween = true},
    {.title = "a directory back under a new name keeps its watch and drops what it said away",
     .records = {{1, IN_MOVED_FROM | IN_ISDIR, "a", 9}, {3, IN_CREATE, "away"},
                 {1, IN_MOVED_TO | IN_ISDIR, "a2", 10}, {3, IN_CREATE, "back"}},
     .changes = {"movedout/ /w/a", "movedin/ /w/a2", "created /w/a2/s scan", "created /w/a2/b/back"},
     .calls = {"watch /w/a2 arrival"}, .after = After::kFlush,
     .prepare = [](Fixture& f) { f.hooks.returning["a2"] = 2; }},
    {.title = "a directory that left one while that one was away is no longer below it",
     .records = {{1, IN_MOVED_FROM | IN_ISDIR, "a", 9}, {2, IN_MOVED_FROM | IN_ISDIR, "b", 5},
                 {1, IN_MOVED_TO | IN_ISDIR, "a2", 10}, {3, IN_CREATE, "late"}},
     .changes = {"movedout/ /w/a", "movedin/ /w/a2", "created /w/a2/s scan"},
     .calls = {"watch /w/a2 arrival", "unwatch 3"}, .after = After::kFlush,
     .prepare = [](Fixture& f) { f.hooks.returning["a2"] = 2; }},
    {.title = "a directory back under a name never logged is an arrival",
     .records = {{2, IN_MOVED_FROM | IN_ISDIR, "b", 5}, {1, IN_MOVED_FROM | IN_ISDIR, "x", 6},
                 {1, IN_MOVED_TO | IN_ISDIR, "y", 6}},
     .changes = {"movedout/ /w/a/b", "movedin/ /w/y", "created /w/y/s scan"},
     .calls = {"watch /w/y arrival"}, .after = After::kFlush,
     .prepare = [](Fixture& f) { f.echoes.NoteReported(1); f.hooks.returning["y"] = 3; }},
    {.title = "... also under a name that is logged when its scan meets it",
     .records = {{2, IN_MOVED_FROM | IN_ISDIR, "b", 5}, {1, IN_MOVED_FROM | IN_ISDIR, "x", 6},
                 {1, IN_MOVED_TO | IN_ISDIR, "y", 6}},
     .changes = {"movedout/ /w/a/b", "renamed/ /w/x -> /w/y", "created /w/y/s scan"},
     .calls = {"watch /w/y report", "watch /w/y arrival"}, .after = After::kFlush,
     .prepare = [](Fixture& f) { f.hooks.returning["y"] = 3; }},
    // b/ is deleted at once, before a move out could have been decided.
    {.title = "a directory a scan met at its new place is renamed there at once",
     .records = {{2, IN_MOVED_FROM | IN_ISDIR, "b", 9}, {3, IN_CREATE, "f"},
                 {4, IN_MOVED_TO | IN_ISDIR, "b2", 9}, {3, IN_IGNORED}, {4, IN_DELETE | IN_ISDIR, "b2"}},
     .changes = {"renamed/ /w/a/b -> /w/n/b2", "created /w/n/b2/f", "deleted/ /w/n/b2"},
     .calls = {"unwatch 3"}, .after = After::kFlush,
     .prepare = ScanMetB2InN},
    {.title = "... also when the second half is never read",
     .records = {{2, IN_MOVED_FROM | IN_ISDIR, "b", 9}, {3, IN_CREATE, "f"}, {3, IN_IGNORED},
                 {4, IN_DELETE | IN_ISDIR, "b2"}},
     .changes = {"renamed/ /w/a/b -> /w/n/b2", "created /w/n/b2/f", "deleted/ /w/n/b2"},
     .calls = {"unwatch 3"}, .after = After::kFlush,
     .prepare = ScanMetB2InN},
    // a/ was scanned and did not hold b/ any more. m/, missed below b/, is
    // found by b2/'s reading and not read again.
    {.title = "a directory a scan met whose old name was never logged appears with its contents",
     .records = {{2, IN_MOVED_FROM | IN_ISDIR, "b", 9}},
     .changes = {"movedin/ /w/n/b2", "created /w/n/b2/s scan"},
     .calls = {"watch /w/n/b2 arrival"}, .after = After::kFlush,
     .prepare = [](Fixture& f) {
       AddNHoldingB2(f);
       f.echoes.NoteReported(2);
       f.echoes.NoteMet(3, 4, "b2", false);
       f.echoes.NoteMissed(3, "m", false);
       f.hooks.holds["b2"] = "m";
     }},
    // b/ left before a/ was renamed to z/; only then does a scan of n/ meet
    // it as "b2", with a folder below it missed by its path.
    {.title = "a late rename found by a scan takes the path of now and retries what was missed",
     .records = {{2, IN_MOVED_FROM | IN_ISDIR, "b", 9}, {1, IN_MOVED_FROM | IN_ISDIR, "a", 7},
                 {1, IN_MOVED_TO | IN_ISDIR, "z", 7}},
     .changes = {"renamed/ /w/a -> /w/z", "created/ /w/d", "created /w/d/s scan",
                 "renamed/ /w/z/b -> /w/n/b2"},
     .calls = {"watch /w/d report", "watch /w/n/b2/missing report"}, .after = After::kFlush,
     .prepare = AddNHoldingB2, .later = {{1, IN_CREATE | IN_ISDIR, "d"}},
     .between = [](Fixture& f) {
       f.echoes.NoteMet(3, 4, "b2", false);
       f.echoes.NoteMissed(3, "missing", false);
     }},
    // c/ (wd 4) and a/ left; a scan of the new n/ meets a/ there, and the
    // scan of a folder missed below it meets c/.
    {.title = "settling one late rename may settle another",
     .records = {{1, IN_MOVED_FROM | IN_ISDIR, "c", 5}, {1, IN_MOVED_FROM | IN_ISDIR, "a", 6}},
     .changes = {"created/ /w/n", "created /w/n/s scan", "renamed/ /w/a -> /w/n/a2",
                 "created /w/n/a2/b/m/s scan", "renamed/ /w/c -> /w/n/a2/b/m/c2"},
     .calls = {"watch /w/n report", "watch /w/n/a2/b/m report"},
     .prepare = [](Fixture& f) {
       f.tree.Add(4, f.tree.root(), "c");
       f.hooks.meets["n"] = {2, "a2"};
       f.hooks.meets["m"] = {4, "c2"};
     },
     .later = {{1, IN_CREATE | IN_ISDIR, "n"}},
     .between = [](Fixture& f) { f.echoes.NoteMissed(3, "m", false); }},
    // a/ is deleted, taking b/ along in the log, before a scan of n/ meets b/.
    {.title = "a directory met after the folder it left was deleted arrives where it was met",
     .records = {{2, IN_MOVED_FROM | IN_ISDIR, "b", 5}, {1, IN_DELETE | IN_ISDIR, "a"},
                 {2, IN_IGNORED}, {1, IN_CREATE | IN_ISDIR, "n"}},
     .changes = {"movedout/ /w/a/b", "deleted/ /w/a", "created/ /w/n", "created /w/n/s scan",
                 "movedin/ /w/n/b2", "created /w/n/b2/s scan"},
     .calls = {"unwatch 2 3", "watch /w/n report", "watch /w/n/b2 arrival"},
     .prepare = [](Fixture& f) { f.hooks.meets["n"] = {3, "b2"}; }},
    // A scan of a/ no longer found b/ in it: what b/ queued before that scan
    // is not logged, until b/'s rename is read.
    {.title = "records of a folder a scan no longer found wait for its rename",
     .records = {{3, IN_CREATE, "before"}, {2, IN_MOVED_FROM | IN_ISDIR, "b", 5},
                 {1, IN_MOVED_TO | IN_ISDIR, "c", 5}, {3, IN_CREATE, "after"}},
     .changes = {"movedin/ /w/c", "created /w/c/s scan", "created /w/c/after"},
     .calls = {"watch /w/c arrival"},
     .prepare = [](Fixture& f) {
       f.echoes.NoteReported(2);
       f.echoes.NoteVanished(3);
       f.hooks.returning["c"] = 3;
     }},
    {.title = "... nor is the departure of what came into it meanwhile",
     .records = {{3, IN_MOVED_TO, "x", 4}, {2, IN_MOVED_FROM | IN_ISDIR, "b", 5},
                 {1, IN_MOVED_TO | IN_ISDIR, "c", 5}, {3, IN_MOVED_FROM, "x", 6},
                 {1, IN_MOVED_TO, "y", 6}},
     .changes = {"renamed/ /w/a/b -> /w/c", "movedin /w/y"},
     .prepare = [](Fixture& f) { f.echoes.NoteVanished(3); }},
};

TEST(InotifyDecoderTest, DecodesSyntheticRecordsAndStopsAtATruncatedOne) {
  for (const DecodeCase& c : kCases) {
    SCOPED_TRACE(c.title);
    Fixture f;
    if (c.prepare) c.prepare(f);
    for (const auto& [wd, name] : c.scannedNames) f.echoes.NoteCreated(wd, name);
    for (const auto& [wd, name] : c.ownReads) f.echoes.NoteOwnRead(wd, name);
    InotifyDecoder decoder(f.tree, f.echoes, f.hooks, c.subtree);

    std::vector<RawChange> out;
    DrainResult result;
    decoder.Decode(Buffer(c.records), out, result);
    if (c.between) c.between(f);
    if (c.ageBetween) decoder.AgePendingMoves(out);
    if (c.flushBetween) decoder.FlushPendingMoves(out);
    if (!c.later.empty()) decoder.Decode(Buffer(c.later), out, result);
    if (c.after == After::kFlush) decoder.FlushPendingMoves(out);
    if (c.after == After::kAgeOnce || c.after == After::kAgeTwice) decoder.AgePendingMoves(out);
    if (c.after == After::kAgeTwice) decoder.AgePendingMoves(out);

    EXPECT_EQ(DescribeAll(out), c.changes);
    EXPECT_EQ(f.hooks.calls, c.calls);
    EXPECT_EQ(decoder.HasPendingMoves(), c.pending);
    EXPECT_EQ(result.overflows, c.overflows);
    EXPECT_EQ(result.ended, c.ended);
  }
  // A truncated record ends the read; missed directories wait for a rename's other half.
  Fixture f;
  InotifyDecoder decoder(f.tree, f.echoes, f.hooks, true);
  std::vector<std::byte> buffer = Buffer({{1, IN_CREATE, "f"}, {1, IN_CREATE, "long-name"}});
  std::vector<RawChange> out;
  DrainResult result;
  for (size_t cut : {buffer.size() - 1, sizeof(inotify_event) + 3, size_t{0}}) {
    out.clear();
    decoder.Decode(std::span(buffer.data(), cut), out, result);
    EXPECT_LE(out.size(), 1u) << cut;
  }
  ScanEchoes echoes;
  echoes.NoteMissed(3, "d", true);
  echoes.Clear(true);
  ASSERT_TRUE(echoes.anyMissed());
  EXPECT_FALSE(echoes.TakeMissedArrival(3, "other"));
  EXPECT_TRUE(echoes.TakeMissedArrival(3, "d"));
  echoes.NoteMissed(3, "d", false);
  echoes.Clear(false);
  EXPECT_FALSE(echoes.anyMissed());
  echoes.NoteMissed(3, "d", true);
  echoes.NoteFound(3, "d");  // a later reading makes it good
  EXPECT_FALSE(echoes.IsMissed(3, "d"));
}

}  // namespace
}  // namespace tavrek::engine
