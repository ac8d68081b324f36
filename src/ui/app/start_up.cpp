#include "ui/app/start_up.h"

#include <iostream>

#include "core/app/file_manager_actions.h"
#include "core/app/settings_store.h"
#include "core/app/shell_registration.h"
#include "core/app/start_command.h"
#include "core/platform/profile.h"
#include "core/platform/registry_store.h"
#include "core/platform/visible_text.h"
#include "ui/app/settings_notice.h"

namespace tavrek::ui {
namespace {

// A start never fails for want of a registration: one line on stderr says so.
void RegisterDocuments(const FrameServices& services) {
  if (services.desktop.dataHome.empty() || services.programPath.empty()) return;
  const app::WriteOutcome outcome = app::RegisterDocumentType(
      services.desktop, services.programPath, services.refreshDesktopDatabases);
  if (outcome == app::WriteOutcome::Failed) {
    std::cerr << "tavrek: the document type could not be registered below "
              << services.desktop.dataHome << '\n';
  } else if (outcome == app::WriteOutcome::Refused) {
    std::cerr << "tavrek: " << app::RefusedProgramPathText(services.programPath) << '\n';
  }
}

void RemoveFolderVerb(const FrameServices& services) {
  if (services.desktop.dataHome.empty()) return;
  app::FolderVerb(app::FolderVerbMode::Remove, services.desktop, services.programPath);
}

// A settings file that is there but read as empty (a FIFO, a device, too
// large, not text) is named once, so that its values are not missed unsaid;
// the frame says it in its window too. True when the settings file is one.
bool TellUnreadableSettings(const FrameServices& services) {
  std::string problems[2];
  if (services.windowContext.settings) {
    problems[0] = platform::ProfileFileProblem(services.windowContext.settings->filePath());
  }
  if (services.windowContext.registry) problems[1] = services.windowContext.registry->FileProblem();
  for (const std::string& problem : problems) {
    if (!problem.empty()) std::cerr << "tavrek: " << platform::VisibleText(problem) << '\n';
  }
  return !problems[0].empty();
}

}  // namespace

StartOutcome BeginRun(const app::StartCommand& start, std::string_view tail,
                      std::string_view programPath, FrameServices services,
                      const std::function<void()>& showHelp, const InstallerHandOff& installer) {
  if (start.form == app::StartForm::Help) {
    showHelp();
    return {kExitAfterHelp, nullptr};
  }
  services.programPath = std::string(programPath);
  if (installer) {
    const install::InstallerOutcome outcome = installer(std::string(tail), services.programPath);
    if (outcome.handled) {
      if (outcome.uninstalled) RemoveFolderVerb(services);
      return {kExitInstallerHandled, nullptr};
    }
  }
  RegisterDocuments(services);
  const bool settingsUnreadable = TellUnreadableSettings(services);
  auto frame = std::make_unique<MainFrame>(std::move(services));
  // Only a file found unreadable above is looked at again, for the reason.
  if (settingsUnreadable) frame->settingsNotice().CheckAtStart();
  frame->OpenStart(start);
  return {std::nullopt, std::move(frame)};
}

StartOutcome BeginRun(std::string_view tail, std::string_view programPath, FrameServices services,
                      const std::function<void()>& showHelp, const InstallerHandOff& installer) {
  return BeginRun(app::ParseStartCommand(tail), tail, programPath, std::move(services), showHelp,
                  installer);
}

}  // namespace tavrek::ui
