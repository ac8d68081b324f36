#pragma once
// The start of a run up to the frame: help, the installer's turn, then the
// frame with what the command line asks it to open.
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "ui/app/main_frame.h"

namespace tavrek::ui {

struct StartOutcome {
  // Set when the run ends before any frame: 1 after the help window, 0 when
  // the installer took the command line.
  std::optional<int> exitCode;
  std::unique_ptr<MainFrame> frame;
};

// `showHelp` shows the modal help window and returns when it is closed.
StartOutcome BeginRun(std::string_view tail, std::string_view programPath, FrameServices services,
                      const std::function<void()>& showHelp);

// The exit code of a run whose frame was closed.
inline constexpr int kExitAfterFrame = 1;
inline constexpr int kExitAfterHelp = 1;
inline constexpr int kExitInstallerHandled = 0;

}  // namespace tavrek::ui
