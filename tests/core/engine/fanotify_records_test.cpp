// Fanotify's records taken apart, and the cache of the directories they name.
#include "core/engine/backend/fanotify/fanotify_records.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/engine/backend/fanotify/fanotify_handle_cache.h"
#include "support/fanotify_record_builder.h"

namespace tavrek::engine {
namespace {

using testing::Dfid;
using testing::Fid;
using testing::NewDfid;
using testing::OldDfid;
using testing::RecordBuilder;

constexpr int32_t kPid = 4711;

TEST(FanotifyRecordsTest, SkipsInfoRecordsOfUnknownTypeAndNamesLeavingTheirDirectory) {
  testing::InfoRecord unknown = Fid("whatever");
  unknown.type = 99;
  RecordBuilder builder;
  builder.Event(FAN_MODIFY, kPid, {unknown, Dfid("root", "f")});
  std::vector<FanotifyRecord> records;
  EXPECT_EQ(ParseFanotifyRecords(builder.bytes(), records), 0u);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].entry->name, "f");
  // Names that would leave their directory are refused.
  for (const char* name : {"..", "a/b", "/"}) {
    RecordBuilder named;
    named.Event(FAN_CREATE, kPid, {Dfid("root", name)});
    std::vector<FanotifyRecord> kept;
    EXPECT_EQ(ParseFanotifyRecords(named.bytes(), kept), 1u) << name;
    EXPECT_TRUE(kept.empty()) << name;
  }
}

// Offsets into the first event written by the builder with one name record.
constexpr size_t kMetadataSize = sizeof(fanotify_event_metadata);
constexpr size_t kInfoLenOffset = kMetadataSize + 2;
constexpr size_t kHandleBytesOffset = kMetadataSize + 12;
constexpr size_t kNameOffset = kMetadataSize + 24;  // after a four-byte handle

template <typename T>
void Patch(std::vector<std::byte>& bytes, size_t offset, T value) {
  std::memcpy(bytes.data() + offset, &value, sizeof(value));
}

TEST(FanotifyRecordsTest, DropsBrokenEventsAndStopsAtBrokenMetadata) {
  struct Case {
    const char* what;
    void (*breakIt)(std::vector<std::byte>&);
    size_t kept;  // of the two events written
  };
  const Case cases[] = {
      {"name without its end", [](auto& b) { Patch<uint32_t>(b, kNameOffset, 0x78787878); }, 1},
      {"handle longer than its record", [](auto& b) { Patch<uint32_t>(b, kHandleBytesOffset, 64); },
       1},
      {"handle beyond the largest", [](auto& b) { Patch<uint32_t>(b, kHandleBytesOffset, 4096); },
       1},
      {"info record of length 0", [](auto& b) { Patch<uint16_t>(b, kInfoLenOffset, 0); }, 1},
      {"info record past its event", [](auto& b) { Patch<uint16_t>(b, kInfoLenOffset, 900); }, 1},
      {"unknown metadata version", [](auto& b) { Patch<uint8_t>(b, 4, 2); }, 0},
      {"event shorter than metadata", [](auto& b) { Patch<uint32_t>(b, 0, 8); }, 0},
      {"event longer than the buffer", [](auto& b) { Patch<uint32_t>(b, 0, 1 << 20); }, 0},
      {"metadata length past the event", [](auto& b) { Patch<uint16_t>(b, 6, 500); }, 0},
  };
  for (const Case& c : cases) {
    RecordBuilder builder;
    builder.Event(FAN_CREATE, kPid, {Dfid("abcd", "f")}).Event(FAN_DELETE, kPid, {Dfid("r", "g")});
    c.breakIt(builder.bytes());
    std::vector<FanotifyRecord> records;
    EXPECT_GT(ParseFanotifyRecords(builder.bytes(), records), 0u) << c.what;
    EXPECT_EQ(records.size(), c.kept) << c.what;
    if (c.kept == 1) {
      EXPECT_EQ(records[0].entry->name, "g") << c.what;
    }
  }
}

// Random damage is the fuzz target's (tests/fuzz/fuzz_fanotify_decoder.cpp).
TEST(FanotifyRecordsTest, EveryTruncationDropsWhatItCut) {
  RecordBuilder builder;
  builder.Event(FAN_RENAME | FAN_ONDIR, kPid, {OldDfid("root", "a"), NewDfid("root", "b"),
                                               Fid("moved")});
  const size_t firstEvent = builder.bytes().size();
  builder.Event(FAN_MODIFY, kPid, {Dfid("root", "file"), Fid("x")});
  const std::vector<std::byte> whole = builder.bytes();
  for (size_t length = 0; length < whole.size(); ++length) {
    std::vector<std::byte> cut(whole.begin(), whole.begin() + static_cast<long>(length));
    std::vector<FanotifyRecord> records;
    const uint32_t dropped = ParseFanotifyRecords(cut, records);
    EXPECT_LE(records.size(), 1u) << length;
    if (length > 0 && length != firstEvent) {
      EXPECT_GT(dropped, 0u) << length;
    }
  }
}

std::string PathOf(const FanotifyDirectoryCache& cache, const FanotifyFileKey& key) {
  const std::string* path = cache.Find(key);
  return path ? *path : "<none>";
}

TEST(FanotifyDirectoryCacheTest, MoveCarriesTheSubtreeButNotSiblingsWithTheSamePrefix) {
  FanotifyDirectoryCache cache;
  cache.Learn("b", "/a/b");
  cache.Learn("c", "/a/b/c");
  cache.Learn("d", "/a/b/c/d");
  cache.Learn("b2", "/a/b2");
  cache.Learn("bx", "/a/b-x");
  cache.Learn("old", "/z/new");       // replaced by the move
  cache.Learn("below", "/z/new/in");  // was inside the replaced directory

  cache.Moved("/a/b", "/z/new");

  EXPECT_EQ(PathOf(cache, "b"), "/z/new");
  EXPECT_EQ(PathOf(cache, "c"), "/z/new/c");
  EXPECT_EQ(PathOf(cache, "d"), "/z/new/c/d");
  EXPECT_EQ(PathOf(cache, "b2"), "/a/b2");
  EXPECT_EQ(PathOf(cache, "bx"), "/a/b-x");
  EXPECT_EQ(PathOf(cache, "old"), "<none>");
  EXPECT_EQ(PathOf(cache, "below"), "<none>");
  EXPECT_EQ(cache.size(), 5u);

  cache.Moved("/z/new", "/z/new/c/inside");  // impossible for a directory: ignored
  EXPECT_EQ(PathOf(cache, "b"), "/z/new");
}

TEST(FanotifyDirectoryCacheTest, OnePathHoldsOneDirectoryAndAFullCacheStartsAfresh) {
  FanotifyDirectoryCache cache;
  cache.Learn("x", "/p");
  cache.Learn("y", "/p");  // another directory now at /p
  EXPECT_EQ(PathOf(cache, "x"), "<none>");
  cache.Learn("y", "/q");  // y moved on; /p is free again
  cache.Learn("x", "/p");
  EXPECT_EQ(PathOf(cache, "x"), "/p");
  EXPECT_EQ(PathOf(cache, "y"), "/q");
  EXPECT_EQ(cache.size(), 2u);
  cache.Forget("y");
  cache.Moved("/q", "/r");  // nothing left at /q: nothing to carry
  EXPECT_EQ(cache.size(), 1u);
  // A full cache starts afresh.
  constexpr size_t kCapacity = 3;
  FanotifyDirectoryCache small(kCapacity);
  for (const char* key : {"a", "b", "c", "d"}) small.Learn(key, std::string("/") + key);
  EXPECT_EQ(small.size(), 1u);
  EXPECT_EQ(PathOf(small, "d"), "/d");
}

}  // namespace
}  // namespace tavrek::engine
