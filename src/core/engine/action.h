#pragma once
// What a change event says happened, as a value: every decision is taken on
// it. Its German text, its image and its machine key come from one table and
// serve only the display, documents and exports.
#include <cstdint>
#include <string_view>

namespace tavrek::engine {

// Image indexes of change-log rows.
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

// The kinds a change of a watcher with a combined mask names after
// "Änderung", in the order they are named.
using ChangedKinds = uint8_t;
inline constexpr ChangedKinds kChangedAttributes = 0x01;
inline constexpr ChangedKinds kChangedWrite = 0x02;
inline constexpr ChangedKinds kChangedAccess = 0x04;
inline constexpr ChangedKinds kChangedSecurity = 0x08;
inline constexpr ChangedKinds kChangedSize = 0x10;
inline constexpr ChangedKinds kAllChangedKinds = 0x1F;

enum class Action : uint8_t {
  kCreated,
  kDeleted,
  kChanged,        // "Änderung", naming no kind
  kRenamedOld,     // the old name of a rename
  kRenamedNew,     // a new name whose old one is not known
  kRenamedPaired,  // the new name of a rename, with its old one
  kAttributes,
  kWritten,
  kAccessTime,
  kSecurity,
  kSize,
  kUnknown,
  kEnded,
  // "Änderung" and the kinds of a combined mask: kChangedWith plus their
  // ChangedKinds (see ChangedWith).
  kChangedWith = 0x20,
};

inline constexpr Action ChangedWith(ChangedKinds kinds) {
  return kinds == 0 ? Action::kChanged
                    : static_cast<Action>(static_cast<uint8_t>(Action::kChangedWith) |
                                          (kinds & kAllChangedKinds));
}
inline constexpr ChangedKinds ChangedKindsOf(Action action) {
  const auto value = static_cast<uint8_t>(action);
  return value & static_cast<uint8_t>(Action::kChangedWith) ? value & kAllChangedKinds : 0;
}
inline constexpr bool IsRename(Action action) {
  return action == Action::kRenamedOld || action == Action::kRenamedNew ||
         action == Action::kRenamedPaired;
}

// The change log's text ("Erstellen", "Änderung/Schreiben/Dateigröße" ...),
// in static storage.
std::string_view ActionText(Action action);
// The image of the action's rows.
ActionCode ActionImage(Action action);
// A stable English key for machine readers ("created", "renamed_from" ...).
std::string_view ActionKeyOf(Action action);

// The action of one record of a watcher with the given notification mask.
// Modified records are told apart by the mask; a combined mask names every
// kind it holds.
Action DecodeRecordAction(uint32_t recordAction, uint32_t mask);

}  // namespace tavrek::engine
