#pragma once
// The watch window's view settings in the settings file: the grid lines of
// its three lists, simple or grouped access statistics, and the filter
// dialog's last text. Read when a window asks, each written alone at once.
#include <string>
#include <string_view>

namespace tavrek::app {
class SettingsStore;
}

namespace tavrek::window {

enum class GridLinesList { Log, Access, Tree };

struct ViewSettings {
  bool logGridLines = true;
  bool accessGridLines = true;
  bool treeGridLines = true;
  bool grouped = true;

  // The defaults when there is no settings store.
  static ViewSettings Load(const app::SettingsStore* store);
};

// Without a settings store nothing is written and the answer is false, as
// for a file that could not be written.
bool SaveGridLines(app::SettingsStore* store, GridLinesList list, bool on);
bool SaveGrouped(app::SettingsStore* store, bool grouped);

// The text the filter dialog offers; empty when none was stored.
std::string LoadFilterText(const app::SettingsStore& store);
bool SaveFilterText(app::SettingsStore& store, std::string_view text);

}  // namespace tavrek::window
