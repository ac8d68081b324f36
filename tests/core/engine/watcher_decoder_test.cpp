#include "core/engine/watcher_decoder.h"

#include <gtest/gtest.h>

#include "core/engine/action.h"

namespace tavrek::engine {
namespace {

struct ActionCase {
  uint32_t record;
  uint32_t mask;
  std::string_view text;
  int32_t image;
  std::string_view key;
};

// A record, or with `oldPath` a rename.
struct Record {
  WatcherKind kind;
  RecordAction action;
  std::string path;
  std::string oldPath{};
};

// "action path [<- old path] intern (code)" of every event of one read.
std::vector<std::string> Decode(WatcherDecoder& decoder, const std::vector<Record>& records,
                                const platform::SystemTime& time = {}) {
  std::vector<ChangeEvent> events;
  decoder.BeginRead(time, events);
  for (const Record& record : records) {
    if (record.oldPath.empty()) {
      decoder.Add(record.kind, record.action, record.path, 0);
    } else {
      decoder.AddRename(record.kind, record.oldPath, record.path, 0);
    }
  }
  decoder.EndRead();
  std::vector<std::string> texts;
  for (const ChangeEvent& event : events) {
    std::string text = std::string(ActionText(event.action)) + " " + event.path;
    if (!event.oldPath.empty()) text += " <- " + event.oldPath;
    texts.push_back(text + " " + event.internText() + " (" + std::to_string(event.image()) + ")");
  }
  return texts;
}

using Texts = std::vector<std::string>;

TEST(WatcherDecoderTest, GivesARenameTwoRowsCountsPositionsPerKindAndEndsEachRunningKindOnce) {
  KindSet all;
  all.fill(true);
  WatcherDecoder decoder(all);
  const std::vector<Record> records = {
      {kKindSize, kRecordModified, "/w/c.txt"},
      {kKindName, kRecordAdded, "/w/b.txt", "/w/a.txt"},
      {kKindSize, kRecordModified, "/w/d.txt"},
      {kKindName, kRecordAdded, "/w/next"},
  };
  EXPECT_EQ(Decode(decoder, records),
            (Texts{"Dateigröße /w/c.txt 00 (ID:3) (7)", "Umbennen /w/a.txt 00 (ID:0) (3)",
                   "Änderung Name /w/b.txt <- /w/a.txt 01 (ID:0) (3)",
                   "Dateigröße /w/d.txt 01 (ID:3) (7)", "Erstellen /w/next 02 (ID:0) (0)"}));
  EXPECT_EQ(Decode(decoder, {records[0]}), Texts{"Dateigröße /w/c.txt 00 (ID:3) (7)"});
  std::vector<ChangeEvent> events;
  decoder.BeginRead({2026, 12, 0, 6, 9, 8, 7, 6}, events);
  decoder.Add(kKindName, kRecordAdded, "/w/x", 0);
  decoder.EndRead();
  EXPECT_EQ(events.at(0).timeText(), "09:08:07.006");
  // Kinds that do not run are skipped; each running kind ends once.
  KindSet some{};
  some[kKindWrite] = true;
  some[kKindCreation] = true;
  WatcherDecoder partial(some);
  EXPECT_EQ(Decode(partial, {{kKindName, kRecordAdded, "/w/x"},
                             {kKindName, kRecordAdded, "/w/y", "/w/x"},
                             {kKindCreation, kRecordModified, "/w/x"}}),
            Texts{"Änderung /w/x 00 (ID:6) (2)"});
  std::vector<ChangeEvent> ends;
  partial.AppendEndEvents("/w/", {}, ends);
  ASSERT_EQ(ends.size(), 2u);
  for (const ChangeEvent& end : ends) {
    EXPECT_EQ(ActionText(end.action), "Abbruch");
    EXPECT_EQ(end.image(), kActionEnded);
    EXPECT_EQ(end.path, "/w/");
  }
  EXPECT_EQ(ends[0].internText(), "00 (ID:1)");
  EXPECT_EQ(ends[1].internText(), "00 (ID:6)");
  const ActionCase cases[] = {
      {kRecordAdded, kKindMasks[kKindName], "Erstellen", kActionCreated, "created"},
      {kRecordRemoved, kKindMasks[kKindName], "Löschen", kActionDeleted, "deleted"},
      {kRecordRenamedOldName, kKindMasks[kKindName], "Umbennen", kActionRename, "renamed_from"},
      {kRecordRenamedNewName, kKindMasks[kKindName], "Umbennen New", kActionRename, "renamed_to"},
      {kRecordModified, kKindMasks[kKindName], "Änderung", kActionChanged, "changed"},
      {kRecordModified, kMaskCreation, "Änderung", kActionChanged, "changed"},
      {kRecordModified, kMaskLastWrite, "Schreiben", kActionWritten, "written"},
      {kRecordModified, kMaskLastAccess, "Zugriffszeit", kActionAccessTime, "access"},
      {kRecordModified, kMaskSize, "Dateigröße", kActionSize, "size"},
      {kRecordModified, kMaskAttributes, "Dateiattribute", kActionChanged, "attributes"},
      {kRecordModified, kMaskSecurity, "Sicherheitseinstellung", kActionSecurity, "security"},
      {kRecordModified, kMaskLastWrite | kMaskSize, "Änderung/Schreiben/Dateigröße", kActionSize,
       "size"},
      {kRecordModified, kMaskAttributes | kMaskLastAccess, "Änderung/Dateiattribute/Zugriffszeit",
       kActionAccessTime, "access"},
      {kRecordModified, kMaskAttributes | kMaskFileName, "Änderung/Dateiattribute", kActionChanged,
       "changed"},
      {0, kMaskSize, "Unbekannt", kActionOther, "unknown"},
      {6, kMaskSize, "Unbekannt", kActionOther, "unknown"},
  };
  for (const ActionCase& c : cases) {
    const Action action = DecodeRecordAction(c.record, c.mask);
    EXPECT_EQ(ActionText(action), c.text) << c.record << " / " << c.mask;
    EXPECT_EQ(ActionImage(action), c.image) << c.record << " / " << c.mask;
    EXPECT_EQ(ActionKeyOf(action), c.key) << c.record << " / " << c.mask;
  }
}

}  // namespace
}  // namespace tavrek::engine
