#pragma once
// The watch window's dialog template: control positions in dialog units and
// their conversion to pixels with the font's metrics.
#include <optional>
#include <span>
#include <string_view>

namespace tavrek::window {

struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  int right() const { return x + width; }
  int bottom() const { return y + height; }
  bool operator==(const Rect&) const = default;
};

// Dialog units: a horizontal unit is a quarter of the font's average
// character width, a vertical unit an eighth of its height.
struct DialogBaseUnits {
  int averageCharWidth = 0;
  int charHeight = 0;
};

Rect ToPixels(const Rect& dialogUnits, const DialogBaseUnits& base);

enum class ControlClass { kPushButton, kGroupBox, kCheckBox, kStatic, kListView, kLine, kIcon };

struct TemplateControl {
  int id;  // app::control ids; kNoId for the line and the icon
  ControlClass type;
  std::string_view text;
  Rect dialogUnits;
};

// Every control of the watch window template, in template order.
std::span<const TemplateControl> WatchWindowTemplate();
// The size of the whole template in dialog units.
Rect WatchWindowTemplateSize();
const TemplateControl* FindTemplateControl(int id);

}  // namespace tavrek::window
