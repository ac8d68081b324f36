#pragma once
// The states of a window's controls kept between runs: one registry value per
// control with an id, named by the id in lower-case hexadecimal, stored when
// the window goes and restored when the next one opens.
#include <map>
#include <string>

#include "core/engine/watch_options.h"

class QWidget;

namespace tavrek::platform {
class RegistryStore;
}

namespace tavrek::ui {

inline constexpr char kControlIdProperty[] = "controlId";
inline constexpr char kWatchDialogKey[] = "Software\\Quorvane\\DirWatch\\DirWatchDlg";

std::string ControlValueName(int controlId);

// Every control but the option boxes, by what its widget shows.
void SaveControlStates(platform::RegistryStore& registry, const std::map<int, QWidget*>& controls);
void RestoreControlStates(const platform::RegistryStore& registry,
                          const std::map<int, QWidget*>& controls);

// The option boxes' values are the session's options, stored under the boxes'
// ids: 1 for a set option, 0 for a cleared one. Restoring changes only the
// options a value is stored for.
void SaveOptionStates(platform::RegistryStore& registry, const engine::WatchOptions& options);
engine::WatchOptions RestoreOptionStates(const platform::RegistryStore& registry,
                                         engine::WatchOptions options);

}  // namespace tavrek::ui
