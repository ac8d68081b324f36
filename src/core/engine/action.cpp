#include "core/engine/action.h"

#include <array>
#include <string>

#include "core/engine/watch_options.h"

namespace tavrek::engine {
namespace {

struct MaskSuffix {
  uint32_t flag;
  std::string_view suffix;
  int32_t code;
};

// Order matters: the last flag present decides the code.
constexpr std::array<MaskSuffix, 5> kModifiedSuffixes{{
    {kMaskAttributes, "/Dateiattribute", kActionChanged},
    {kMaskLastWrite, "/Schreiben", kActionWritten},
    {kMaskLastAccess, "/Zugriffszeit", kActionAccessTime},
    {kMaskSecurity, "/Sicherheitseinstellung", kActionSecurity},
    {kMaskSize, "/Dateigröße", kActionSize},
}};

struct ExactMask {
  uint32_t mask;
  DecodedAction action;
};

constexpr std::array<ExactMask, 5> kExactMasks{{
    {kMaskLastAccess, {text::kAccessTime, kActionAccessTime}},
    {kMaskLastWrite, {text::kWritten, kActionWritten}},
    {kMaskSecurity, {text::kSecurity, kActionSecurity}},
    {kMaskSize, {text::kSize, kActionSize}},
    {kMaskAttributes, {text::kAttributes, kActionChanged}},
}};

// Texts for every combination of the five suffix flags, built once so that
// events can refer to them without owning a copy.
const std::array<std::string, 32>& CombinedTexts() {
  static const std::array<std::string, 32> texts = [] {
    std::array<std::string, 32> built;
    for (size_t combination = 0; combination < built.size(); ++combination) {
      std::string text(text::kChanged);
      for (size_t bit = 0; bit < kModifiedSuffixes.size(); ++bit) {
        if (combination & (size_t{1} << bit)) text += kModifiedSuffixes[bit].suffix;
      }
      built[combination] = std::move(text);
    }
    return built;
  }();
  return texts;
}

DecodedAction DecodeModified(uint32_t mask) {
  for (const ExactMask& exact : kExactMasks) {
    if (mask == exact.mask) return exact.action;
  }
  size_t combination = 0;
  int32_t code = kActionChanged;
  for (size_t bit = 0; bit < kModifiedSuffixes.size(); ++bit) {
    if (mask & kModifiedSuffixes[bit].flag) {
      combination |= size_t{1} << bit;
      code = kModifiedSuffixes[bit].code;
    }
  }
  return {CombinedTexts()[combination], code};
}

}  // namespace

DecodedAction DecodeRecordAction(uint32_t recordAction, uint32_t mask) {
  switch (recordAction) {
    case kRecordAdded: return {text::kCreated, kActionCreated};
    case kRecordRemoved: return {text::kDeleted, kActionDeleted};
    case kRecordModified: return DecodeModified(mask);
    case kRecordRenamedOldName: return {text::kRenameOld, kActionRename};
    case kRecordRenamedNewName: return {text::kRenameNew, kActionRename};
    default: return {text::kUnknown, kActionOther};
  }
}

}  // namespace tavrek::engine
