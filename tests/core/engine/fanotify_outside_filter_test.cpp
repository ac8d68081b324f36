// Records about files outside the watched folder are passed over before they
// are taken apart, once the folder they are in is placed outside; a folder
// moved into or out of the watched tree changes that at once.
#include <gtest/gtest.h>

#include <map>

#include "core/engine/backend/fanotify/fanotify_decoder.h"
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

struct Event {
  uint64_t mask;
  std::vector<InfoRecord> infos;
};
Event NewFile(const std::string& directory, const std::string& name) {
  return {FAN_CREATE, {Dfid(directory, name), Fid(name)}};
}
Event MovedDirectory(const std::string& from, const std::string& to, const std::string& name) {
  return {FAN_RENAME | FAN_ONDIR, {OldDfid(from, name), NewDfid(to, name), Fid(name)}};
}

// One case: drains as the kernel gives them, how many records of each are
// taken apart, and the paths (below the watched folder) of the changes made.
struct Case {
  const char* what;
  std::vector<std::vector<Event>> drains;
  std::vector<size_t> parsed;
  std::vector<std::string> paths;
};

TEST(FanotifyOutsideFilterTest, PassesOverOutsideFilesUntilAFolderMoves) {
  const Case cases[] = {
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
      {"a folder moved out: its files are passed over from the next drain on",
       {{NewFile("sub", "a")}, {MovedDirectory("w", "other", "sub"), NewFile("sub", "b")},
        {NewFile("sub", "c")}},
       {1, 2, 0},
       {"/watched/sub/a", "/watched/sub"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::map<FanotifyFileKey, std::string> kernel{
        {TestKey("root"), "/real"},          {TestKey("w"), "/real/w"},
        {TestKey("sub"), "/real/w/sub"},     {TestKey("other"), "/real/other"},
        {TestKey("away"), "/real/other/away"}, {TestKey("deep"), "/real/other/deep"},
    };
    FanotifyDecoder decoder({"/watched/", "/real/w/", TestKey("w"), true},
                            [&](const FanotifyFileKey& key) -> std::optional<std::string> {
                              auto found = kernel.find(key);
                              if (found == kernel.end()) return std::nullopt;
                              return found->second;
                            });
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
