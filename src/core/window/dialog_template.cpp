#include "core/window/dialog_template.h"

#include <array>

#include "core/app/control_ids.h"

namespace tavrek::window {
namespace {

namespace id = app::control;
constexpr int kHorizontalUnitsPerChar = 4;
constexpr int kVerticalUnitsPerChar = 8;

constexpr std::array<TemplateControl, 23> kControls{{
    {id::kFolderMenuButton, ControlClass::kPushButton, "Überwache ....", {6, 9, 86, 14}},
    {id::kStartStop, ControlClass::kPushButton, "Start ....", {6, 25, 86, 14}},
    {id::kOptionsGroup, ControlClass::kGroupBox, "Überwache Änderungen", {6, 46, 87, 150}},
    {id::kBoxCreation, ControlClass::kCheckBox, "Erstellzeitänderung", {11, 61, 78, 10}},
    {id::kBoxAccess, ControlClass::kCheckBox, "Zugriffszeitänderung", {11, 75, 78, 10}},
    {id::kBoxWrite, ControlClass::kCheckBox, "Schreiben", {11, 89, 78, 10}},
    {id::kBoxSize, ControlClass::kCheckBox, "Dateigrösse", {11, 103, 78, 10}},
    {id::kBoxAttributes, ControlClass::kCheckBox, "Dateiattribute", {11, 117, 78, 10}},
    {id::kBoxRename, ControlClass::kCheckBox, "Umbennen", {11, 131, 78, 10}},
    {id::kBoxDelete, ControlClass::kCheckBox, "Löschen", {11, 145, 78, 10}},
    {id::kBoxSecurity, ControlClass::kCheckBox, "Sicherheitseinstellung", {11, 159, 79, 10}},
    {id::kBoxSubtree, ControlClass::kCheckBox, "Unterverzeichnisse", {11, 178, 78, 10}},
    {id::kNoId, ControlClass::kLine, "", {11, 173, 78, 1}},
    {id::kNoId, ControlClass::kIcon, "", {6, 205, 20, 20}},
    {id::kSystemLine, ControlClass::kStatic, "System", {6, 234, 80, 41}},
    {id::kFolderList, ControlClass::kListView, "", {99, 12, 136, 40}},
    {id::kFilterList, ControlClass::kListView, "", {240, 11, 136, 40}},
    {id::kAccessLabel, ControlClass::kStatic, "Letzte Zugriffe", {98, 54, 114, 10}},
    {id::kFilteredCount, ControlClass::kStatic, ".....", {316, 54, 114, 8}},
    {id::kAccessList, ControlClass::kListView, "", {98, 66, 331, 95}},
    {id::kLogLabel, ControlClass::kStatic, "Zugriffslog", {98, 166, 114, 8}},
    {id::kChangeLog, ControlClass::kListView, "", {98, 176, 331, 86}},
    {id::kUnusedLabel, ControlClass::kStatic, "...", {42, 0, 220, 8}},
}};

}  // namespace

Rect ToPixels(const Rect& dialogUnits, const DialogBaseUnits& base) {
  auto horizontal = [&](int units) { return units * base.averageCharWidth / kHorizontalUnitsPerChar; };
  auto vertical = [&](int units) { return units * base.charHeight / kVerticalUnitsPerChar; };
  return {horizontal(dialogUnits.x), vertical(dialogUnits.y), horizontal(dialogUnits.width),
          vertical(dialogUnits.height)};
}

std::span<const TemplateControl> WatchWindowTemplate() {
  return kControls;
}

Rect WatchWindowTemplateSize() { return {0, 0, 567, 350}; }

const TemplateControl* FindTemplateControl(int controlId) {
  for (const TemplateControl& control : WatchWindowTemplate()) {
    if (control.id == controlId) return &control;
  }
  return nullptr;
}

}  // namespace tavrek::window
