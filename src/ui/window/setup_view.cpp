// Showing a setup the session has just taken over.
#include <QCheckBox>

#include "core/setups/setup_document.h"
#include "ui/window/watch_window.h"

namespace tavrek::ui {

void WatchWindow::ShowSetup() {
  const engine::WatchOptions& options = session_->options();
  for (const setups::OptionKey& option : setups::kOptionKeys) {
    optionBoxes_.at(option.boxId)->setChecked(options.*option.flag != 0);
  }
  RefreshStartStop();
  RefreshFolderList();
  RefreshFilterList();
  RefreshLogFilterCaption();
  FlushViews();
}

}  // namespace tavrek::ui
