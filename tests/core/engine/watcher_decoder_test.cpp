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

TEST(WatcherDecoderTest, PairsRenameAndCountsPositionsPerKindWithinOneRead) {
  WatcherDecoder decoder(AllKinds());
  const KindRecord records[] = {
      {kKindName, kRecordRenamedOldName, "/w/a.txt", 0},
      {kKindSize, kRecordModified, "/w/c.txt", 0},
      {kKindName, kRecordRenamedNewName, "/w/b.txt", 0},
      {kKindSize, kRecordModified, "/w/d.txt", 0},
  };
  platform::SystemTime time{2026, 12, 0, 6, 9, 8, 7, 6};
  std::vector<ChangeEvent> events;
  decoder.DecodeRead(records, time, events);

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
  decoder.DecodeRead(std::span(records + 1, 1), time, events);
  EXPECT_EQ(events[0].internText(), "00 (ID:3)");
}

TEST(WatcherDecoderTest, PairingCarriesOverToTheNextRead) {
  WatcherDecoder decoder(AllKinds());
  std::vector<ChangeEvent> events;
  const KindRecord first[] = {{kKindName, kRecordRenamedOldName, "/w/old", 0}};
  const KindRecord second[] = {{kKindName, kRecordRenamedNewName, "/w/new", 0},
                               {kKindName, kRecordAdded, "/w/next", 0}};
  decoder.DecodeRead(first, {}, events);
  decoder.DecodeRead(second, {}, events);
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[1].action, "Änderung Name");
  EXPECT_EQ(events[1].oldPath, "/w/old");
  EXPECT_EQ(events[2].action, "Erstellen");
  EXPECT_EQ(events[2].oldPath, "");
}

TEST(WatcherDecoderTest, SkipsKindsThatDoNotRunAndEndsEachRunningKindOnce) {
  KindSet kinds{};
  kinds[kKindWrite] = true;
  kinds[kKindCreation] = true;
  WatcherDecoder decoder(kinds);
  std::vector<ChangeEvent> events;
  const KindRecord records[] = {{kKindName, kRecordAdded, "/w/x", 0},
                                {kKindCreation, kRecordModified, "/w/x", 0}};
  decoder.DecodeRead(records, {}, events);
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
