#pragma once
// One decoded change, as a watcher hands it to its session.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/engine/action.h"
#include "core/platform/local_time.h"

namespace tavrek::engine {

// Who saw a change: the kernel, a rescan after lost events (1, as `true`), or
// a polling pass.
using FoundBy = uint8_t;
inline constexpr FoundBy kFoundByKernel = 0;
inline constexpr FoundBy kFoundByRescan = 1;
inline constexpr FoundBy kFoundByPolling = 2;

struct ChangeEvent {
  std::string path;     // normalised folder path + name below it
  std::string oldPath;  // previous path of a paired rename, else empty
  platform::SystemTime time;
  uint32_t mask = 0;  // the watcher's notification filter
  Action action = Action::kCreated;
  uint16_t recordPosition = 0;  // position of the event within its watcher's read
  uint8_t kindIndex = 0;
  int32_t pid = 0;  // process that made the change, 0 when the backend cannot tell
  // How the change was found when not reported by the kernel: by reading the
  // folder again after the kernel lost events, or by polling; "Intern" says so.
  FoundBy fromRescan = kFoundByKernel;

  ActionCode image() const { return ActionImage(action); }
  std::string timeText() const { return platform::FormatTimeText(time); }
  // "%02d (ID:%d)" of record position and kind index.
  std::string internText() const;
};

// Follows the "Intern" text of a change found by reading the folder again.
inline constexpr std::string_view kRescanMark = " neu eingelesen";
// Follows the "Intern" text of a change found by polling.
inline constexpr std::string_view kPollMark = " abgefragt";

// "%02d (ID:%d)": an event's position within its watcher's read and the kind,
// marked when the change was found by reading the folder again or by polling.
std::string FormatInternText(uint16_t recordPosition, uint8_t kindIndex,
                             FoundBy foundBy = kFoundByKernel);
// The same into `buffer`; returns the view of it.
std::string_view FormatInternText(uint16_t recordPosition, uint8_t kindIndex, FoundBy foundBy,
                                  std::span<char> buffer);

}  // namespace tavrek::engine
