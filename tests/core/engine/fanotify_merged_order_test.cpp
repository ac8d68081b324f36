// Where the log puts a deletion the kernel merged into an earlier record of
// the name: at that record, unless a later record of the drain is about it.
#include <gtest/gtest.h>

#include "core/engine/backend/fanotify/fanotify_decoder.h"
#include "support/fanotify_record_builder.h"

namespace tavrek::engine {
namespace {

using namespace testing;

TEST(FanotifyMergedOrderTest, AMergedDeletionStaysAtItsRecordWhenNothingLaterNeedsIt) {
  const std::vector<InfoRecord> foo{Dfid("w", "foo"), Fid("foo")};
  struct Event {
    uint64_t mask;
    std::vector<InfoRecord> infos;
  };
  const std::vector<Event> cases[] = {
      {{FAN_CREATE | FAN_DELETE, foo}, {FAN_ATTRIB, {Fid("foo")}},  // its link count, nameless
       {FAN_CREATE | FAN_ONDIR, {Dfid("w", "apple"), Fid("apple")}},
       {FAN_RENAME | FAN_ONDIR, {OldDfid("w", "apple"), NewDfid("w", "pear"), Fid("apple")}}},
      {{FAN_MODIFY | FAN_DELETE, foo}, {FAN_CREATE, {Dfid("w", "foo"), Fid("foo2")}}},
  };
  const std::vector<std::string> logs[] = {{"+/w/foo", "-/w/foo", "+/w/apple", ">/w/pear"},
                                           {"-/w/foo", "+/w/foo"}};
  for (size_t test = 0; test < std::size(cases); ++test) {
    FanotifyDecoder decoder({"/w/", "/w/", TestKey("w"), true}, [](const FanotifyFileKey& key) {
      return key == TestKey("w") ? std::optional<std::string>("/w") : std::nullopt;
    });
    RecordBuilder builder;
    for (const Event& event : cases[test]) builder.Event(event.mask, 1, event.infos);
    std::vector<RawChange> out;
    decoder.Decode(builder.bytes(), out);
    std::vector<std::string> log;
    for (const RawChange& change : out) {
      if (change.action != RawAction::kModified) {
        log.push_back("+--+>"[static_cast<int>(change.action)] + change.path);
      }
    }
    EXPECT_EQ(log, logs[test]) << test;
  }
}

}  // namespace
}  // namespace tavrek::engine
