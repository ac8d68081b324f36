#pragma once
// The start of a run up to the frame: help, the installer's turn, the
// document type registered, then the frame with what the command line asks
// it to open.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/app/start_command.h"
#include "core/install/installer_command_line.h"
#include "ui/app/main_frame.h"

namespace tavrek::ui {

struct StartOutcome {
  // Set when the run ends before any frame: 1 after the help window, 0 when
  // the installer took the command line.
  std::optional<int> exitCode;
  std::unique_ptr<MainFrame> frame;
};

// The installer's look at the command line and the program's path (the
// dialogs of RunInstaller in the program); none takes nothing.
using InstallerHandOff =
    std::function<install::InstallerOutcome(const std::string& tail, const std::string& programPath)>;

// `showHelp` shows the modal help window and returns when it is closed. The
// folder verb is removed after an uninstall and the document type registered
// at every other start, both for `services.desktop` and `programPath`.
// `start` is what the command line asks the frame to open
// (app::ParseStartArguments); the installer reads the `tail`.
StartOutcome BeginRun(const app::StartCommand& start, std::string_view tail,
                      std::string_view programPath, FrameServices services,
                      const std::function<void()>& showHelp,
                      const InstallerHandOff& installer = {});
// The same for a command line given as its tail alone.
StartOutcome BeginRun(std::string_view tail, std::string_view programPath, FrameServices services,
                      const std::function<void()>& showHelp,
                      const InstallerHandOff& installer = {});

// The exit code of a run whose frame was closed.
inline constexpr int kExitAfterFrame = 1;
inline constexpr int kExitAfterHelp = 1;
inline constexpr int kExitInstallerHandled = 0;

}  // namespace tavrek::ui
