#pragma once
// A whole watch setup as a value: what a window shows in its folder list,
// filter list and option boxes. Windows, documents, favourites and the console
// watcher load and save this value, never widgets.
#include <string>
#include <vector>

#include "core/engine/file_filter.h"
#include "core/engine/folder_choices.h"
#include "core/engine/watch_options.h"

namespace tavrek::engine {

struct WatchSetup {
  std::vector<std::string> folders;     // paths as entered, in the folder set's key order
  // List order, top row first: the path rows, then the process rows (as the
  // list shows them after a rebuild and a document gives them back).
  std::vector<FilterRow> filterRows;
  WatchOptions options;
  LogFilterMode logFilterMode = LogFilterMode::kDoNotLogThese;
  FolderChoices folderChoices{};        // how folders of the set are to be watched

  bool operator==(const WatchSetup&) const = default;
};

}  // namespace tavrek::engine
