#include "core/app/frame_rules.h"

#include <algorithm>
#include <array>

#include "core/app/command_ids.h"
#include "core/app/identity.h"
#include "core/engine/source/status_notes.h"

namespace tavrek::app {
namespace {

namespace cmd = command;

constexpr std::array kFrameCommands = {
    cmd::kNewWindow,        cmd::kNewStartHelp,      cmd::kStartHelpAlias,   cmd::kStartHelp,
    cmd::kExit,             cmd::kCloseWindow,       cmd::kCloseAllWindows,  cmd::kToggleMaximised,
    cmd::kHelp,             cmd::kToggleToolbar,     cmd::kToggleTabBar,     cmd::kToggleStatusBar,
    cmd::kStartMaximised,   cmd::kShowStartHelp,     cmd::kShellMenu,        cmd::kFullScreen,
    cmd::kToTray,           cmd::kNextWindow,        cmd::kPreviousWindow,   cmd::kManageFavourites,
    cmd::kCascade,          cmd::kTileHorizontally,  cmd::kTileVertically,   cmd::kArrangeIcons,
    cmd::kAbout,            cmd::kOpenDocument,      cmd::kSaveDocument,
};

constexpr size_t kTabCaptionLimit = 32;
constexpr std::string_view kCutMark = " ...";

bool IsUtf8Continuation(char byte) {
  return (static_cast<unsigned char>(byte) & 0xC0u) == 0x80u;
}

}  // namespace

bool IsDriveCommand(int command) {
  return command >= cmd::kDriveMenu && command <= cmd::kLastDriveCommand;
}

bool IsFrameCommand(int command) {
  if (IsDriveCommand(command)) return true;
  return std::find(kFrameCommands.begin(), kFrameCommands.end(), command) != kFrameCommands.end();
}

OpenFolderRoute RouteOpenFolder(bool shiftHeld, bool ctrlHeld, bool sameWindow,
                                bool hasActiveWindow) {
  if (shiftHeld) return hasActiveWindow ? OpenFolderRoute::AddToActive : OpenFolderRoute::Nothing;
  if ((ctrlHeld || sameWindow) && hasActiveWindow) return OpenFolderRoute::ReplaceInActive;
  return OpenFolderRoute::NewWindow;
}

std::string TabCaption(std::string_view caption) {
  size_t characters = 0;
  for (size_t at = 0; at < caption.size(); ++at) {
    if (IsUtf8Continuation(caption[at])) continue;
    if (characters == kTabCaptionLimit) {
      return std::string(caption.substr(0, at)) + std::string(kCutMark);
    }
    ++characters;
  }
  return std::string(caption);
}

std::string WindowCaption(const CaptionSource& source, const std::vector<std::string>& folders) {
  if (!source.document.empty()) {
    const size_t slash = source.document.find_last_of('/');
    return slash == std::string::npos ? source.document : source.document.substr(slash + 1);
  }
  if (!source.openedFolder.empty() &&
      std::find(folders.begin(), folders.end(), source.openedFolder) != folders.end()) {
    return source.openedFolder;
  }
  if (folders.empty()) return std::string(kProductName);
  std::string caption = folders.front();
  for (size_t index = 1; index < folders.size(); ++index) caption += ", " + folders[index];
  return caption;
}

std::string WatchStatusText(bool hasWindow, WatchPhase phase, uint64_t overflows) {
  if (!hasWindow) return {};
  std::string text;
  switch (phase) {
    case WatchPhase::kStopped: text = "Überwachung angehalten"; break;
    case WatchPhase::kRunning: text = "Überwachung läuft"; break;
    case WatchPhase::kEnded: text = "Überwachung beendet"; break;
  }
  if (overflows > 0) text += " | Überläufe: " + std::to_string(overflows);
  return text;
}

std::string LogStatusText(size_t rows, size_t diskBytes, uint64_t droppedRows) {
  constexpr uint64_t kMegabyte = uint64_t{1} << 20;
  std::string text = " | Protokoll: " + engine::GroupedNumber(rows) +
                     (rows == 1 ? " Zeile, " : " Zeilen, ") +
                     engine::GroupedNumber((diskBytes + kMegabyte / 2) / kMegabyte) + " MB";
  if (droppedRows > 0) {
    text += " | nicht gespeichert: " + engine::GroupedNumber(droppedRows) + " Zeilen";
  }
  return text;
}

}  // namespace tavrek::app
