#include "ui/window/control_states.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QTabWidget>
#include <cstdio>
#include <cstring>

#include "core/app/control_ids.h"
#include "core/engine/option_table.h"
#include "core/platform/registry_store.h"
#include "core/window/command_states.h"
#include "ui/common/text.h"

namespace tavrek::ui {
namespace {

constexpr uint32_t kUnchecked = 0;
constexpr uint32_t kChecked = 1;

// A combo box keeps its index (4 bytes, little-endian) followed by its text
// and a terminating zero.
std::vector<uint8_t> ComboBoxBytes(const QComboBox& box) {
  const uint32_t index = static_cast<uint32_t>(box.currentIndex());
  const std::string text = ToUtf8(box.currentText());
  std::vector<uint8_t> bytes(sizeof index + text.size() + 1, 0);
  for (size_t i = 0; i < sizeof index; ++i) bytes[i] = static_cast<uint8_t>(index >> (8 * i));
  std::memcpy(bytes.data() + sizeof index, text.data(), text.size());
  return bytes;
}

void RestoreComboBox(QComboBox& box, const std::vector<uint8_t>& bytes) {
  if (bytes.size() < sizeof(uint32_t)) return;
  uint32_t index = 0;
  for (size_t i = 0; i < sizeof index; ++i) index |= uint32_t{bytes[i]} << (8 * i);
  box.setCurrentIndex(static_cast<int>(index));
  const char* text = reinterpret_cast<const char*>(bytes.data() + sizeof index);
  const size_t length = strnlen(text, bytes.size() - sizeof index);
  if (box.isEditable()) box.setEditText(QString::fromUtf8(text, static_cast<qsizetype>(length)));
}

void SaveOne(platform::RegistryStore& registry, const std::string& name, QWidget* widget) {
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    registry.SetDword(kWatchDialogKey, name, button->isCheckable() && button->isChecked() ? kChecked : kUnchecked);
  } else if (qobject_cast<QGroupBox*>(widget)) {
    registry.SetDword(kWatchDialogKey, name, kUnchecked);
  } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    registry.SetString(kWatchDialogKey, name, ToUtf8(edit->text()));
  } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    registry.SetBinary(kWatchDialogKey, name, ComboBoxBytes(*combo));
  } else if (auto* tabs = qobject_cast<QTabWidget*>(widget)) {
    registry.SetDword(kWatchDialogKey, name, static_cast<uint32_t>(tabs->currentIndex()));
  }
}

void RestoreOne(const platform::RegistryStore& registry, const std::string& name, QWidget* widget) {
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    auto state = registry.GetDword(kWatchDialogKey, name);
    if (state && button->isCheckable()) button->setChecked(*state == kChecked);
  } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    if (auto text = registry.GetString(kWatchDialogKey, name)) edit->setText(ToQString(*text));
  } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    if (auto bytes = registry.GetBinary(kWatchDialogKey, name)) RestoreComboBox(*combo, *bytes);
  } else if (auto* tabs = qobject_cast<QTabWidget*>(widget)) {
    if (auto index = registry.GetDword(kWatchDialogKey, name)) tabs->setCurrentIndex(static_cast<int>(*index));
  }
}

// The option boxes are the session's: their values go through the options.
bool IsOptionBox(int controlId) { return engine::FindOptionByBox(controlId) != nullptr; }

bool IsWidgetState(int controlId) { return controlId != app::control::kNoId && !IsOptionBox(controlId); }

}  // namespace

std::string ControlValueName(int controlId) {
  char buffer[16];
  const int length = std::snprintf(buffer, sizeof buffer, "%x", static_cast<unsigned>(controlId));
  return std::string(buffer, static_cast<size_t>(length));
}

void SaveControlStates(platform::RegistryStore& registry, const std::map<int, QWidget*>& controls) {
  for (const auto& [controlId, widget] : controls) {
    if (IsWidgetState(controlId)) SaveOne(registry, ControlValueName(controlId), widget);
  }
}

void RestoreControlStates(const platform::RegistryStore& registry,
                          const std::map<int, QWidget*>& controls) {
  for (const auto& [controlId, widget] : controls) {
    if (IsWidgetState(controlId)) RestoreOne(registry, ControlValueName(controlId), widget);
  }
}

void SaveOptionStates(platform::RegistryStore& registry, const engine::WatchOptions& options) {
  for (const engine::WatchOption& option : engine::kWatchOptionTable) {
    registry.SetDword(kWatchDialogKey, ControlValueName(option.boxId),
                      options.*option.flag != 0 ? kChecked : kUnchecked);
  }
}

engine::WatchOptions RestoreOptionStates(const platform::RegistryStore& registry,
                                         engine::WatchOptions options) {
  for (const engine::WatchOption& option : engine::kWatchOptionTable) {
    const auto state = registry.GetDword(kWatchDialogKey, ControlValueName(option.boxId));
    if (state) options.*option.flag = *state == kChecked ? 1 : 0;
  }
  return options;
}

}  // namespace tavrek::ui
