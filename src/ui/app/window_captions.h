#pragma once
// The captions of the frame's watch windows, so that their tabs tell them
// apart: a window loaded from a document shows the document's name, one the
// frame opened a folder in shows that folder, and one whose folders changed
// otherwise shows its folders. A window stays "Tavrek" until one of these
// happens.
#include <QObject>
#include <map>
#include <string>
#include <vector>

#include "core/app/frame_rules.h"

namespace tavrek::ui {

class WatchWindow;

class WindowCaptions : public QObject {
 public:
  using QObject::QObject;

  // Follows the window's folders from now until it is destroyed.
  void Follow(WatchWindow& window);
  void DocumentLoaded(WatchWindow& window, const QString& path);
  void FolderOpened(WatchWindow& window, const QString& path);

 private:
  struct Followed {
    app::CaptionSource source;
    std::vector<std::string> folders;  // as they were when last looked at
  };
  void FoldersMayHaveChanged(WatchWindow& window);
  void Show(WatchWindow& window, Followed& followed);
  static void SetCaption(WatchWindow& window, const std::string& caption);

  std::map<const QObject*, Followed> windows_;
};

}  // namespace tavrek::ui
