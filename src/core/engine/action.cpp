#include "core/engine/action.h"

#include <array>
#include <string>

#include "core/engine/watch_options.h"

namespace tavrek::engine {
namespace {

struct ActionEntry {
  std::string_view text;
  ActionCode image;
  std::string_view key;
};

// Indexed by the single actions, kCreated to kEnded.
constexpr std::array<ActionEntry, 13> kActions{{
    {"Erstellen", kActionCreated, "created"},
    {"Löschen", kActionDeleted, "deleted"},
    {"Änderung", kActionChanged, "changed"},
    {"Umbennen", kActionRename, "renamed_from"},
    {"Umbennen New", kActionRename, "renamed_to"},
    {"Änderung Name", kActionRename, "renamed"},
    {"Dateiattribute", kActionChanged, "attributes"},
    {"Schreiben", kActionWritten, "written"},
    {"Zugriffszeit", kActionAccessTime, "access"},
    {"Sicherheitseinstellung", kActionSecurity, "security"},
    {"Dateigröße", kActionSize, "size"},
    {"Unbekannt", kActionOther, "unknown"},
    {"Abbruch", kActionEnded, "ended"},
}};
static_assert(kActions.size() == static_cast<size_t>(Action::kEnded) + 1);

const ActionEntry& EntryOf(Action single) { return kActions[static_cast<size_t>(single)]; }

struct ChangedKind {
  ChangedKinds kind;
  uint32_t flag;
  std::string_view suffix;
  Action lead;  // gives image and key when it is the last kind named
};

constexpr std::array<ChangedKind, 5> kChangedKinds{{
    {kChangedAttributes, kMaskAttributes, "/Dateiattribute", Action::kChanged},
    {kChangedWrite, kMaskLastWrite, "/Schreiben", Action::kWritten},
    {kChangedAccess, kMaskLastAccess, "/Zugriffszeit", Action::kAccessTime},
    {kChangedSecurity, kMaskSecurity, "/Sicherheitseinstellung", Action::kSecurity},
    {kChangedSize, kMaskSize, "/Dateigröße", Action::kSize},
}};

struct ExactMask {
  uint32_t mask;
  Action action;
};

constexpr std::array<ExactMask, 5> kExactMasks{{
    {kMaskLastAccess, Action::kAccessTime},
    {kMaskLastWrite, Action::kWritten},
    {kMaskSecurity, Action::kSecurity},
    {kMaskSize, Action::kSize},
    {kMaskAttributes, Action::kAttributes},
}};

// Texts for every set of changed kinds, built once so that they can be
// handed out without a copy.
const std::array<std::string, kAllChangedKinds + 1>& CombinedTexts() {
  static const std::array<std::string, kAllChangedKinds + 1> texts = [] {
    std::array<std::string, kAllChangedKinds + 1> built;
    for (size_t kinds = 0; kinds < built.size(); ++kinds) {
      std::string text(EntryOf(Action::kChanged).text);
      for (const ChangedKind& changed : kChangedKinds) {
        if (kinds & changed.kind) text += changed.suffix;
      }
      built[kinds] = std::move(text);
    }
    return built;
  }();
  return texts;
}

// The single action whose image and key a combined one shares: that of the
// last kind it names.
Action LeadOf(Action action) {
  const ChangedKinds kinds = ChangedKindsOf(action);
  if (kinds == 0) return static_cast<uint8_t>(action) < kActions.size() ? action : Action::kUnknown;
  Action lead = Action::kChanged;
  for (const ChangedKind& changed : kChangedKinds) {
    if (kinds & changed.kind) lead = changed.lead;
  }
  return lead;
}

Action DecodeModified(uint32_t mask) {
  for (const ExactMask& exact : kExactMasks) {
    if (mask == exact.mask) return exact.action;
  }
  ChangedKinds kinds = 0;
  for (const ChangedKind& changed : kChangedKinds) {
    if (mask & changed.flag) kinds |= changed.kind;
  }
  return ChangedWith(kinds);
}

}  // namespace

std::string_view ActionText(Action action) {
  if (ChangedKindsOf(action) != 0) return CombinedTexts()[ChangedKindsOf(action)];
  return EntryOf(LeadOf(action)).text;
}

ActionCode ActionImage(Action action) { return EntryOf(LeadOf(action)).image; }

std::string_view ActionKeyOf(Action action) { return EntryOf(LeadOf(action)).key; }

Action DecodeRecordAction(uint32_t recordAction, uint32_t mask) {
  switch (recordAction) {
    case kRecordAdded: return Action::kCreated;
    case kRecordRemoved: return Action::kDeleted;
    case kRecordModified: return DecodeModified(mask);
    case kRecordRenamedOldName: return Action::kRenamedOld;
    case kRecordRenamedNewName: return Action::kRenamedNew;
    default: return Action::kUnknown;
  }
}

}  // namespace tavrek::engine
