#include "ui/window/view_settings.h"

#include "core/app/settings_store.h"

namespace tavrek::ui {
namespace {

constexpr int kOn = 1;
constexpr int kNoBound = -1;

bool Flag(const app::SettingsStore& settings, const char* section, const char* key) {
  return settings.GetInt(section, key, kOn, kNoBound, kNoBound) != 0;
}

}  // namespace

ViewSettings ReadViewSettings(const app::SettingsStore* settings) {
  ViewSettings view;
  if (!settings) return view;
  view.logGridLines = Flag(*settings, kSectionGridLines, kKeyLog);
  view.accessGridLines = Flag(*settings, kSectionGridLines, kKeyAccess);
  view.treeGridLines = Flag(*settings, kSectionGridLines, kKeyGroup);
  view.grouped = Flag(*settings, kSectionShow, kKeyGroup);
  return view;
}

void WriteGrouped(app::SettingsStore* settings, bool grouped) {
  if (settings) settings->WriteInt(kSectionShow, kKeyGroup, grouped ? 1 : 0);
}

}  // namespace tavrek::ui
