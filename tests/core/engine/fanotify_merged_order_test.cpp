// Where the log puts a deletion the kernel merged into an earlier record of
// the name: at the record, unless a later record of the drain is about it.
#include <gtest/gtest.h>

#include "core/engine/backend/fanotify/fanotify_decoder.h"
#include "support/fanotify_record_builder.h"

namespace tavrek::engine {
namespace {

using testing::Dfid;
using testing::Fid;
using testing::NewDfid;
using testing::OldDfid;
using testing::TestKey;

struct Event {
  uint64_t mask;
  std::vector<testing::InfoRecord> infos;
};
struct Case {
  const char* what;
  std::vector<Event> events;
  std::vector<std::string> log;  // "+name", "-name", "old>new"
};

std::string Describe(const RawChange& change) {
  const std::string name = change.path.substr(std::string("/w/").size());
  if (change.action == RawAction::kRenamed) return change.oldPath.substr(3) + ">" + name;
  return (change.action == RawAction::kDeleted ? "-" : "+") + name;
}

TEST(FanotifyMergedOrderTest, AMergedDeletionStaysAtItsRecordWhenNothingLaterNeedsIt) {
  const Event mkdirApple{FAN_CREATE | FAN_ONDIR, {Dfid("w", "apple"), Fid("apple")}};
  const Event movePear{FAN_RENAME | FAN_ONDIR,
                       {OldDfid("w", "apple"), NewDfid("w", "pear"), Fid("apple")}};
  const Case cases[] = {
      {"made and deleted, then other names",
       {{FAN_CREATE | FAN_DELETE, {Dfid("w", "foo"), Fid("foo")}}, mkdirApple, movePear},
       {"+foo", "-foo", "+apple", "apple>pear"}},
      {"the nameless record of its link count does not count",
       {{FAN_CREATE | FAN_DELETE, {Dfid("w", "foo"), Fid("foo")}}, {FAN_ATTRIB, {Fid("foo")}},
        mkdirApple},
       {"+foo", "-foo", "+apple"}},
      {"written and deleted",
       {{FAN_MODIFY | FAN_DELETE, {Dfid("w", "old"), Fid("old")}}, mkdirApple},
       {"-old", "+apple"}},
      {"made anew under the name later: the deletion came first anyway",
       {{FAN_CREATE | FAN_DELETE, {Dfid("w", "foo"), Fid("foo")}}, mkdirApple,
        {FAN_CREATE, {Dfid("w", "foo"), Fid("foo2")}}},
       {"+foo", "-foo", "+apple", "+foo"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FanotifyDecoder decoder({"/w/", "/w/", TestKey("w"), true},
                            [](const FanotifyFileKey& key) -> std::optional<std::string> {
                              if (key == TestKey("w")) return "/w";
                              return std::nullopt;
                            });
    testing::RecordBuilder builder;
    for (const Event& event : c.events) builder.Event(event.mask, 1, event.infos);
    std::vector<RawChange> out;
    decoder.Decode(builder.bytes(), out);
    std::vector<std::string> log;
    for (const RawChange& change : out) {
      if (change.action != RawAction::kModified) log.push_back(Describe(change));
    }
    EXPECT_EQ(log, c.log);
  }
}

}  // namespace
}  // namespace tavrek::engine
