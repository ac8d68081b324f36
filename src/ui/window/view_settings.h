#pragma once
// The watch window's view settings in the settings file.
namespace tavrek::app {
class SettingsStore;
}

namespace tavrek::ui {

inline constexpr char kSectionGridLines[] = "ShowLinie";
inline constexpr char kSectionShow[] = "Show";
inline constexpr char kKeyLog[] = "Liste_Log";
inline constexpr char kKeyAccess[] = "Liste_Zugriffe";
inline constexpr char kKeyGroup[] = "Liste_Gruppe";
inline constexpr char kSectionFilter[] = "Filter";
inline constexpr char kKeyFilterBox[] = "box";

struct ViewSettings {
  bool logGridLines = true;
  bool accessGridLines = true;
  bool treeGridLines = true;
  bool grouped = true;
};

// Defaults when there is no settings store.
ViewSettings ReadViewSettings(const app::SettingsStore* settings);
void WriteGrouped(app::SettingsStore* settings, bool grouped);

}  // namespace tavrek::ui
