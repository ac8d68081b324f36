#include "core/window/option_column.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace tavrek::window {
namespace {

constexpr int kFullPercent = 100;
constexpr int kPercentStep = 5;

// One band of the column, top to bottom: a control, or the head (title) or
// foot of the option group, which grows around the controls inside it.
struct Band {
  size_t control;
  int y;
  int height;
};

bool Inside(const Rect& inner, const Rect& outer) {
  return inner.x >= outer.x && inner.right() <= outer.right() && inner.y >= outer.y &&
         inner.bottom() <= outer.bottom();
}

std::optional<size_t> GroupOf(const std::vector<ColumnControl>& controls) {
  for (size_t i = 0; i < controls.size(); ++i) {
    if (controls[i].group) return i;
  }
  return std::nullopt;
}

std::vector<Band> Bands(const std::vector<ColumnControl>& controls, std::optional<size_t> group) {
  std::vector<Band> bands;
  int firstInside = group ? controls[*group].rect.bottom() : 0;
  int lastInside = group ? controls[*group].rect.y : 0;
  for (size_t i = 0; i < controls.size(); ++i) {
    if (group && i == *group) continue;
    bands.push_back({i, controls[i].rect.y, controls[i].rect.height});
    if (group && Inside(controls[i].rect, controls[*group].rect)) {
      firstInside = std::min(firstInside, controls[i].rect.y);
      lastInside = std::max(lastInside, controls[i].rect.bottom());
    }
  }
  if (group) {
    const Rect& frame = controls[*group].rect;
    bands.push_back({*group, frame.y, std::max(firstInside - frame.y, 0)});
    const int footTop = std::max(lastInside, frame.y);
    bands.push_back({*group, footTop, frame.bottom() - footTop});
  }
  std::stable_sort(bands.begin(), bands.end(),
                   [](const Band& a, const Band& b) { return a.y < b.y; });
  return bands;
}

// The bands with their template gaps cut to `percent`, none onto the one above.
std::vector<ColumnControl> Squeezed(const std::vector<ColumnControl>& controls,
                                    const std::vector<Band>& bands, int percent) {
  std::vector<ColumnControl> placed = controls;
  bool headPlaced = false;  // the group's head comes before its foot
  int bottom = 0;
  for (const Band& band : bands) {
    const int y = std::max(band.y * percent / kFullPercent, bottom);
    bottom = y + band.height;
    Rect& rect = placed[band.control].rect;
    if (!controls[band.control].group) {
      rect.y = y;
    } else if (!std::exchange(headPlaced, true)) {
      rect.y = y;  // the head
    } else {
      rect.height = bottom - rect.y;  // the foot
    }
  }
  return placed;
}

// The lowest bottom that must stay in sight: the buttons and the option group.
int EssentialBottom(const std::vector<ColumnControl>& placed,
                    const std::vector<ColumnControl>& atTemplate, int groupBottom) {
  int bottom = 0;
  for (size_t i = 0; i < placed.size(); ++i) {
    if (atTemplate[i].rect.y < groupBottom) bottom = std::max(bottom, placed[i].rect.bottom());
  }
  return bottom;
}

int AllBottom(const std::vector<ColumnControl>& placed) {
  int bottom = 0;
  for (const ColumnControl& control : placed) bottom = std::max(bottom, control.rect.bottom());
  return bottom;
}

}  // namespace

std::vector<ColumnControl> PlaceOptionColumn(std::vector<ColumnControl> controls, int height,
                                             int* minimumHeight) {
  const std::optional<size_t> group = GroupOf(controls);
  const int groupBottom = group ? controls[*group].rect.bottom() : AllBottom(controls) + 1;
  const std::vector<Band> bands = Bands(controls, group);
  const auto essential = [&](const std::vector<ColumnControl>& placed) {
    return EssentialBottom(placed, controls, groupBottom);
  };
  if (minimumHeight) *minimumHeight = essential(Squeezed(controls, bands, 0));
  // The widest gaps with which everything fits; else with which the option
  // group fits, the rest hidden where it does not.
  std::optional<std::vector<ColumnControl>> chosen;
  for (int percent = kFullPercent; percent >= 0 && !chosen; percent -= kPercentStep) {
    auto placed = Squeezed(controls, bands, percent);
    if (AllBottom(placed) <= height) chosen = std::move(placed);
  }
  for (int percent = kFullPercent; percent >= 0 && !chosen; percent -= kPercentStep) {
    auto placed = Squeezed(controls, bands, percent);
    if (essential(placed) <= height || percent == 0) chosen = std::move(placed);
  }
  for (size_t i = 0; i < chosen->size(); ++i) {
    ColumnControl& control = (*chosen)[i];
    control.shown = controls[i].rect.y < groupBottom || control.rect.bottom() <= height;
  }
  return *chosen;
}

}  // namespace tavrek::window
