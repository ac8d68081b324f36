#pragma once
// Action codes of change events and the texts the change log shows for them.
// The code is also the image index of an event's rows.
#include <cstdint>
#include <string_view>

namespace tavrek::engine {

enum ActionCode : int32_t {
  kActionCreated = 0,
  kActionDeleted = 1,
  kActionChanged = 2,  // attributes, or nothing more specific
  kActionRename = 3,
  // 4 is never produced.
  kActionWritten = 5,
  kActionAccessTime = 6,
  kActionSize = 7,
  kActionSecurity = 8,
  kActionOther = 9,
  kActionEnded = 10,
};
inline constexpr int kActionImageCount = 10;  // images for codes 0..9

// What a record says happened to its name, in the numbering of directory-change
// records: every kernel backend translates into these.
enum RecordAction : uint32_t {
  kRecordAdded = 1,
  kRecordRemoved = 2,
  kRecordModified = 3,
  kRecordRenamedOldName = 4,
  kRecordRenamedNewName = 5,
};

namespace text {
inline constexpr std::string_view kCreated = "Erstellen";
inline constexpr std::string_view kDeleted = "Löschen";
inline constexpr std::string_view kChanged = "Änderung";
inline constexpr std::string_view kRenameOld = "Umbennen";
inline constexpr std::string_view kRenameNew = "Umbennen New";
inline constexpr std::string_view kRenamePaired = "Änderung Name";
inline constexpr std::string_view kUnknown = "Unbekannt";
inline constexpr std::string_view kEnded = "Abbruch";
inline constexpr std::string_view kAttributes = "Dateiattribute";
inline constexpr std::string_view kWritten = "Schreiben";
inline constexpr std::string_view kAccessTime = "Zugriffszeit";
inline constexpr std::string_view kSecurity = "Sicherheitseinstellung";
inline constexpr std::string_view kSize = "Dateigröße";
}  // namespace text

struct DecodedAction {
  std::string_view text;  // static storage, valid for the whole run
  int32_t code;
};

// Action text and code of one record of a watcher with the given notification
// mask. Modified records are told apart by the mask; with a combined mask the
// text lists every kind ("Änderung/Schreiben/...").
DecodedAction DecodeRecordAction(uint32_t recordAction, uint32_t mask);

}  // namespace tavrek::engine
