#include "core/app/frame_settings.h"

#include <string_view>

#include "core/app/settings_store.h"

namespace tavrek::app {
namespace {

struct FlagPlace {
  std::string_view section;
  std::string_view key;
  int defaultValue;
};

FlagPlace PlaceOf(FrameFlag flag) {
  switch (flag) {
    case FrameFlag::Toolbar: return {"View", "TB", 1};
    case FrameFlag::TabBar: return {"View", "TAB", 1};
    case FrameFlag::StatusBar: return {"View", "SB", 1};
    case FrameFlag::StartMaximised: return {"Start", "Max", 0};
    case FrameFlag::StartHelp: return {"Start", "Info", 1};
  }
  return {"View", "TB", 1};
}

}  // namespace

FrameSettings FrameSettings::Load(const SettingsStore& store) {
  FrameSettings settings;
  settings.toolbar = LoadFrameFlag(store, FrameFlag::Toolbar);
  settings.tabBar = LoadFrameFlag(store, FrameFlag::TabBar);
  settings.statusBar = LoadFrameFlag(store, FrameFlag::StatusBar);
  settings.startMaximised = LoadFrameFlag(store, FrameFlag::StartMaximised);
  settings.startHelp = LoadFrameFlag(store, FrameFlag::StartHelp);
  return settings;
}

bool LoadFrameFlag(const SettingsStore& store, FrameFlag flag) {
  const FlagPlace place = PlaceOf(flag);
  return store.GetInt(place.section, place.key, place.defaultValue) != 0;
}

bool SaveFrameFlag(SettingsStore& store, FrameFlag flag, bool on) {
  const FlagPlace place = PlaceOf(flag);
  return store.WriteInt(place.section, place.key, on ? 1 : 0);
}

}  // namespace tavrek::app
