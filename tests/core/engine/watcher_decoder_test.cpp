#include "core/engine/watcher_decoder.h"

#include <gtest/gtest.h>

#include "core/engine/action.h"

namespace tavrek::engine {
namespace {

struct ActionCase {
  uint32_t record;
  uint32_t mask;
  std::string_view text;
  int32_t code;
};

TEST(RecordActionTest, DecodesEveryRecordActionForEveryKindMask) {
  const ActionCase cases[] = {
      {kRecordAdded, kKindMasks[kKindName], "Erstellen", kActionCreated},
      {kRecordRemoved, kKindMasks[kKindName], "Löschen", kActionDeleted},
      {kRecordRenamedOldName, kKindMasks[kKindName], "Umbennen", kActionRename},
      {kRecordRenamedNewName, kKindMasks[kKindName], "Umbennen New", kActionRename},
      {kRecordModified, kKindMasks[kKindName], "Änderung", kActionChanged},
      {kRecordModified, kMaskCreation, "Änderung", kActionChanged},
      {kRecordModified, kMaskLastWrite, "Schreiben", kActionWritten},
      {kRecordModified, kMaskLastAccess, "Zugriffszeit", kActionAccessTime},
      {kRecordModified, kMaskSize, "Dateigröße", kActionSize},
      {kRecordModified, kMaskAttributes, "Dateiattribute", kActionChanged},
      {kRecordModified, kMaskSecurity, "Sicherheitseinstellung", kActionSecurity},
      {kRecordModified, kMaskLastWrite | kMaskSize, "Änderung/Schreiben/Dateigröße", kActionSize},
      {kRecordModified, kMaskAttributes | kMaskLastAccess, "Änderung/Dateiattribute/Zugriffszeit",
       kActionAccessTime},
      {0, kMaskSize, "Unbekannt", kActionOther},
      {6, kMaskSize, "Unbekannt", kActionOther},
  };
  for (const ActionCase& c : cases) {
    DecodedAction decoded = DecodeRecordAction(c.record, c.mask);
    EXPECT_EQ(decoded.text, c.text) << c.record << " / " << c.mask;
    EXPECT_EQ(decoded.code, c.code) << c.record << " / " << c.mask;
  }
}

KindSet AllKinds() {
  KindSet kinds;
  kinds.fill(true);
  return kinds;
}

struct Record {
  WatcherKind kind;
  uint32_t action;
  std::string path;
};

void Decode(WatcherDecoder& decoder, const std::vector<Record>& records,
            const platform::SystemTime& time, std::vector<ChangeEvent>& events) {
  decoder.BeginRead(time, events);
  for (const Record& record : records) decoder.Add(record.kind, record.action, record.path, 0);
  decoder.EndRead();
}

TEST(WatcherDecoderTest, PairsRenameAndCountsPositionsPerKindWithinOneRead) {
  WatcherDecoder decoder(AllKinds());
  const std::vector<Record> records = {
      {kKindName, kRecordRenamedOldName, "/w/a.txt"},
      {kKindSize, kRecordModified, "/w/c.txt"},
      {kKindName, kRecordRenamedNewName, "/w/b.txt"},
      {kKindSize, kRecordModified, "/w/d.txt"},
  };
  platform::SystemTime time{2026, 12, 0, 6, 9, 8, 7, 6};
  std::vector<ChangeEvent> events;
  Decode(decoder, records, time, events);

  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[0].action, "Umbennen");
  EXPECT_EQ(events[0].oldPath, "");
  EXPECT_EQ(events[2].action, "Änderung Name");
  EXPECT_EQ(events[2].actionCode, kActionRename);
  EXPECT_EQ(events[2].path, "/w/b.txt");
  EXPECT_EQ(events[2].oldPath, "/w/a.txt");
  EXPECT_EQ(events[0].internText(), "00 (ID:0)");
  EXPECT_EQ(events[2].internText(), "01 (ID:0)");
  EXPECT_EQ(events[3].internText(), "01 (ID:3)");
  EXPECT_EQ(events[3].timeText(), "09:08:07.006");
  // Positions restart with every read.
  events.clear();
  Decode(decoder, {records[1]}, time, events);
  EXPECT_EQ(events[0].internText(), "00 (ID:3)");
}

TEST(WatcherDecoderTest, OnlyTheRecordRightAfterAnOldNameIsPaired) {
  WatcherDecoder decoder(AllKinds());
  std::vector<ChangeEvent> events;
  Decode(decoder,
         {{kKindName, kRecordRenamedOldName, "/w/old"},
          {kKindName, kRecordAdded, "/w/next"},
          {kKindName, kRecordRenamedNewName, "/w/new"}},
         {}, events);
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[1].action, "Erstellen");
  EXPECT_EQ(events[1].oldPath, "");
  EXPECT_EQ(events[2].action, "Umbennen New");
  EXPECT_EQ(events[2].oldPath, "");
}

TEST(WatcherDecoderTest, SkipsKindsThatDoNotRunAndEndsEachRunningKindOnce) {
  KindSet kinds{};
  kinds[kKindWrite] = true;
  kinds[kKindCreation] = true;
  WatcherDecoder decoder(kinds);
  std::vector<ChangeEvent> events;
  Decode(decoder, {{kKindName, kRecordAdded, "/w/x"}, {kKindCreation, kRecordModified, "/w/x"}},
         {}, events);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].action, "Änderung");
  EXPECT_EQ(events[0].actionCode, kActionChanged);

  events.clear();
  decoder.AppendEndEvents("/w/", {}, events);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].action, "Abbruch");
  EXPECT_EQ(events[0].actionCode, kActionEnded);
  EXPECT_EQ(events[0].path, "/w/");
  EXPECT_EQ(events[0].internText(), "00 (ID:1)");
  EXPECT_EQ(events[1].internText(), "00 (ID:6)");
}

}  // namespace
}  // namespace tavrek::engine
