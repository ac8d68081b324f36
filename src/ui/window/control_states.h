#pragma once
// The states of a window's controls kept between runs: one registry value per
// control with an id, named by the id in lower-case hexadecimal, stored when
// the window goes and restored when the next one opens.
#include <map>
#include <string>

class QWidget;

namespace tavrek::platform {
class RegistryStore;
}

namespace tavrek::ui {

inline constexpr char kControlIdProperty[] = "controlId";
inline constexpr char kWatchDialogKey[] = "Software\\Quorvane\\DirWatch\\DirWatchDlg";

std::string ControlValueName(int controlId);

void SaveControlStates(platform::RegistryStore& registry, const std::map<int, QWidget*>& controls);
void RestoreControlStates(const platform::RegistryStore& registry,
                          const std::map<int, QWidget*>& controls);

}  // namespace tavrek::ui
