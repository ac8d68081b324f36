#include "core/engine/action_key.h"

#include <array>
#include <utility>

#include "core/engine/action.h"
#include "core/engine/backend/capture/capture_backend.h"
#include "core/engine/change_event.h"
#include "core/engine/source/status_notes.h"
#include "core/engine/watch_session.h"

namespace tavrek::engine {
namespace {

using KeyOfText = std::pair<std::string_view, std::string_view>;

// Action texts that say more than their image: the halves of a rename and
// the single kinds of a change.
constexpr std::array<KeyOfText, 9> kActionKeys{{
    {text::kRenameOld, "renamed_from"},
    {text::kRenameNew, "renamed_to"},
    {text::kRenamePaired, "renamed"},
    {text::kAttributes, "attributes"},
    {text::kWritten, "written"},
    {text::kAccessTime, "access"},
    {text::kSecurity, "security"},
    {text::kSize, "size"},
    {text::kUnknown, "unknown"},
}};

// Status rows by how their text begins (most carry a number or a path).
constexpr std::array<KeyOfText, 9> kStatusKeys{{
    {kStatusInotifyFallback, "inotify_fallback"},
    {kStatusFanotifyRefused, "fanotify_refused"},
    {"Starte Überwachung", "start"},
    {kStatusStopping, "stop"},
    {kStatusWatchLimit, "watch_limit"},
    {kStatusOverflow, "overflow"},
    {kStatusNoAccess, "no_access"},
    {kStatusRescanStart, "rescan_start"},
    {"Neu eingelesen nach Überlauf", "rescan_done"},
}};

std::string_view KeyOfImage(int image) {
  switch (image) {
    case kActionCreated: return "created";
    case kActionDeleted: return "deleted";
    case kActionChanged: return "changed";
    case kActionRename: return "renamed";
    case kActionWritten: return "written";
    case kActionAccessTime: return "access";
    case kActionSize: return "size";
    case kActionSecurity: return "security";
    case kActionEnded: return "ended";
    default: return "other";
  }
}

}  // namespace

std::string_view ActionKey(int image, std::string_view actionText) {
  if (image < 0) {
    for (const auto& [prefix, key] : kStatusKeys) {
      if (actionText.starts_with(prefix)) return key;
    }
    return "status";
  }
  for (const auto& [text, key] : kActionKeys) {
    if (actionText == text) return key;
  }
  return KeyOfImage(image);
}

}  // namespace tavrek::engine
