#include "ui/app/window_captions.h"

#include <QMdiSubWindow>

#include "ui/common/text.h"
#include "ui/window/session_bridge.h"
#include "ui/window/watch_window.h"

namespace tavrek::ui {
namespace {

std::vector<std::string> FoldersOf(WatchWindow& window) {
  std::vector<std::string> folders;
  for (const auto& [key, path] : window.session().folderSet().folders()) folders.push_back(path);
  return folders;
}

}  // namespace

void WindowCaptions::Follow(WatchWindow& window) {
  windows_[&window].folders = FoldersOf(window);
  const SessionBridge& bridge = window.bridge();
  auto changed = [this, &window] { FoldersMayHaveChanged(window); };
  connect(&bridge, &SessionBridge::folderRowsChanged, this, changed);
  connect(&bridge, &SessionBridge::setupChanged, this, changed);
  connect(&window, &QObject::destroyed, this, [this](QObject* gone) { windows_.erase(gone); });
}

void WindowCaptions::DocumentLoaded(WatchWindow& window, const QString& path) {
  Followed& followed = windows_[&window];
  followed.source = {ToUtf8(path), {}};
  Show(window, followed);
}

// The caption is the path as opened, however the window took it in.
void WindowCaptions::FolderOpened(WatchWindow& window, const QString& path) {
  Followed& followed = windows_[&window];
  followed.source = {{}, ToUtf8(path)};
  followed.folders = FoldersOf(window);
  SetCaption(window, followed.source.openedFolder);
}

void WindowCaptions::FoldersMayHaveChanged(WatchWindow& window) {
  const auto found = windows_.find(&window);
  if (found == windows_.end() || FoldersOf(window) == found->second.folders) return;
  Show(window, found->second);
}

void WindowCaptions::Show(WatchWindow& window, Followed& followed) {
  followed.folders = FoldersOf(window);
  SetCaption(window, app::WindowCaption(followed.source, followed.folders));
}

void WindowCaptions::SetCaption(WatchWindow& window, const std::string& caption) {
  if (auto* frame = qobject_cast<QMdiSubWindow*>(window.parentWidget())) frame->setWindowTitle(ShownName(caption));
}

}  // namespace tavrek::ui
