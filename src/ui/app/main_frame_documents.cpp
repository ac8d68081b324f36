// The frame's one road to watch-setup documents: the watch window loads them
// on the command of its own.
#include "core/app/command_ids.h"
#include "ui/app/main_frame.h"

namespace tavrek::ui {

bool MainFrame::LoadDocument(WatchWindow& window, const QString& path) {
  return window.HandleCommand(app::command::kOpenSetup, path);
}

}  // namespace tavrek::ui
