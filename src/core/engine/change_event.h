#pragma once
// One decoded change, as a watcher hands it to its session.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/platform/local_time.h"

namespace tavrek::engine {

struct ChangeEvent {
  std::string_view action;  // static text (see action.h)
  std::string path;         // normalised folder path + name below it
  std::string oldPath;      // previous path of a paired rename, else empty
  platform::SystemTime time;
  uint32_t mask = 0;            // the watcher's notification filter
  int32_t actionCode = 0;       // also the image index
  uint16_t recordPosition = 0;  // position of the event within its watcher's read
  uint8_t kindIndex = 0;
  int32_t pid = 0;  // process that made the change, 0 when the backend cannot tell
  // Found by reading the folder again after the kernel lost events, not
  // reported by the kernel; "Intern" says so.
  bool fromRescan = false;

  std::string timeText() const { return platform::FormatTimeText(time); }
  // "%02d (ID:%d)" of record position and kind index.
  std::string internText() const;
};

// Follows the "Intern" text of a change found by reading the folder again.
inline constexpr std::string_view kRescanMark = " neu eingelesen";

// "%02d (ID:%d)": an event's position within its watcher's read and the kind,
// marked when the change was found by reading the folder again.
std::string FormatInternText(uint16_t recordPosition, uint8_t kindIndex, bool fromRescan = false);
// The same into `buffer`; returns the view of it.
std::string_view FormatInternText(uint16_t recordPosition, uint8_t kindIndex, bool fromRescan,
                                  std::span<char> buffer);

}  // namespace tavrek::engine
