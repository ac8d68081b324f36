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

struct Record {
  WatcherKind kind;
  uint32_t action;
  std::string path;
};

// "action path [<- old path] intern (code)" of every event of one read.
std::vector<std::string> Decode(WatcherDecoder& decoder, const std::vector<Record>& records,
                                const platform::SystemTime& time = {}) {
  std::vector<ChangeEvent> events;
  decoder.BeginRead(time, events);
  for (const Record& record : records) decoder.Add(record.kind, record.action, record.path, 0);
  decoder.EndRead();
  std::vector<std::string> texts;
  for (const ChangeEvent& event : events) {
    std::string text = std::string(event.action) + " " + event.path;
    if (!event.oldPath.empty()) text += " <- " + event.oldPath;
    texts.push_back(text + " " + event.internText() + " (" + std::to_string(event.actionCode) + ")");
  }
  return texts;
}

using Texts = std::vector<std::string>;

TEST(WatcherDecoderTest, PairsARenameRightAfterItsOldNameAndCountsPositionsPerKindAndRead) {
  KindSet all;
  all.fill(true);
  WatcherDecoder decoder(all);
  const std::vector<Record> records = {
      {kKindName, kRecordRenamedOldName, "/w/a.txt"},
      {kKindSize, kRecordModified, "/w/c.txt"},
      {kKindName, kRecordRenamedNewName, "/w/b.txt"},
      {kKindSize, kRecordModified, "/w/d.txt"},
  };
  EXPECT_EQ(Decode(decoder, records),
            (Texts{"Umbennen /w/a.txt 00 (ID:0) (3)", "Dateigröße /w/c.txt 00 (ID:3) (7)",
                   "Änderung Name /w/b.txt <- /w/a.txt 01 (ID:0) (3)",
                   "Dateigröße /w/d.txt 01 (ID:3) (7)"}));
  EXPECT_EQ(Decode(decoder, {records[1]}), Texts{"Dateigröße /w/c.txt 00 (ID:3) (7)"});
  // Only the record right after an old name is its new one.
  EXPECT_EQ(Decode(decoder, {{kKindName, kRecordRenamedOldName, "/w/old"},
                             {kKindName, kRecordAdded, "/w/next"},
                             {kKindName, kRecordRenamedNewName, "/w/new"}}),
            (Texts{"Umbennen /w/old 00 (ID:0) (3)", "Erstellen /w/next 01 (ID:0) (0)",
                   "Umbennen New /w/new 02 (ID:0) (3)"}));
  std::vector<ChangeEvent> events;
  decoder.BeginRead({2026, 12, 0, 6, 9, 8, 7, 6}, events);
  decoder.Add(kKindName, kRecordAdded, "/w/x", 0);
  decoder.EndRead();
  EXPECT_EQ(events.at(0).timeText(), "09:08:07.006");
}

TEST(WatcherDecoderTest, SkipsKindsThatDoNotRunAndEndsEachRunningKindOnce) {
  KindSet kinds{};
  kinds[kKindWrite] = true;
  kinds[kKindCreation] = true;
  WatcherDecoder decoder(kinds);
  EXPECT_EQ(Decode(decoder, {{kKindName, kRecordAdded, "/w/x"}, {kKindCreation, kRecordModified, "/w/x"}}),
            Texts{"Änderung /w/x 00 (ID:6) (2)"});
  std::vector<ChangeEvent> events;
  decoder.AppendEndEvents("/w/", {}, events);
  ASSERT_EQ(events.size(), 2u);
  for (const ChangeEvent& event : events) {
    EXPECT_EQ(event.action, "Abbruch");
    EXPECT_EQ(event.actionCode, kActionEnded);
    EXPECT_EQ(event.path, "/w/");
  }
  EXPECT_EQ(events[0].internText(), "00 (ID:1)");
  EXPECT_EQ(events[1].internText(), "00 (ID:6)");
}

}  // namespace
}  // namespace tavrek::engine
