#pragma once
// The main frame's own settings: the bars it shows and how it starts. Each is
// an integer 0/1 in the settings store, read when asked and written alone at
// once when the user switches it.
namespace tavrek::app {

class SettingsStore;

enum class FrameFlag {
  Toolbar,         // "View"/"TB": the drive bar, "&Symbolleiste"
  TabBar,          // "View"/"TAB": "&Registerleiste"
  StatusBar,       // "View"/"SB": "S&tatusleiste"
  StartMaximised,  // "Start"/"Max": "Immer maximiert starten"
  StartHelp,       // "Start"/"Info": "Starthilfe anzeigen" at an empty start
};

struct FrameSettings {
  bool toolbar = true;
  bool tabBar = true;
  bool statusBar = true;
  bool startMaximised = false;
  bool startHelp = true;

  static FrameSettings Load(const SettingsStore& store);
};

bool LoadFrameFlag(const SettingsStore& store, FrameFlag flag);
// False when the settings file could not be written.
bool SaveFrameFlag(SettingsStore& store, FrameFlag flag, bool on);

}  // namespace tavrek::app
