#include "ui/app/start_up.h"

#include "core/app/start_command.h"

namespace tavrek::ui {

StartOutcome BeginRun(std::string_view tail, std::string_view programPath, FrameServices services,
                      const std::function<void()>& showHelp) {
  const app::StartCommand start = app::ParseStartCommand(tail);
  if (start.form == app::StartForm::Help) {
    showHelp();
    return {kExitAfterHelp, nullptr};
  }
  if (app::HandOffToInstaller(tail, programPath).handled) return {kExitInstallerHandled, nullptr};
  auto frame = std::make_unique<MainFrame>(std::move(services));
  frame->OpenStart(start);
  return {std::nullopt, std::move(frame)};
}

}  // namespace tavrek::ui
