#include "core/window/view_settings.h"

#include "core/app/settings_store.h"

namespace tavrek::window {
namespace {

constexpr char kSectionGridLines[] = "ShowLinie";
constexpr char kSectionShow[] = "Show";
constexpr char kKeyLog[] = "Liste_Log";
constexpr char kKeyAccess[] = "Liste_Zugriffe";
constexpr char kKeyGroup[] = "Liste_Gruppe";
constexpr char kSectionFilter[] = "Filter";
constexpr char kKeyFilterBox[] = "box";

constexpr int kOn = 1;
constexpr int kNoBound = -1;

bool Flag(const app::SettingsStore& store, const char* section, const char* key) {
  return store.GetInt(section, key, kOn, kNoBound, kNoBound) != 0;
}

bool WriteFlag(app::SettingsStore* store, const char* section, const char* key, bool on) {
  return store != nullptr && store->WriteInt(section, key, on ? 1 : 0);
}

const char* GridLinesKey(GridLinesList list) {
  switch (list) {
    case GridLinesList::Log: return kKeyLog;
    case GridLinesList::Access: return kKeyAccess;
    case GridLinesList::Tree: return kKeyGroup;
  }
  return kKeyLog;
}

}  // namespace

ViewSettings ViewSettings::Load(const app::SettingsStore* store) {
  ViewSettings view;
  if (!store) return view;
  view.logGridLines = Flag(*store, kSectionGridLines, kKeyLog);
  view.accessGridLines = Flag(*store, kSectionGridLines, kKeyAccess);
  view.treeGridLines = Flag(*store, kSectionGridLines, kKeyGroup);
  view.grouped = Flag(*store, kSectionShow, kKeyGroup);
  return view;
}

bool SaveGridLines(app::SettingsStore* store, GridLinesList list, bool on) {
  return WriteFlag(store, kSectionGridLines, GridLinesKey(list), on);
}

bool SaveGrouped(app::SettingsStore* store, bool grouped) {
  return WriteFlag(store, kSectionShow, kKeyGroup, grouped);
}

std::string LoadFilterText(const app::SettingsStore& store) {
  return store.GetString(kSectionFilter, kKeyFilterBox, "");
}

bool SaveFilterText(app::SettingsStore& store, std::string_view text) {
  return store.WriteString(kSectionFilter, kKeyFilterBox, text);
}

}  // namespace tavrek::window
