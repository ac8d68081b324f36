#include "core/app/window_placement.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>

#include "core/app/identity.h"
#include "core/platform/leading_number.h"

namespace tavrek::app {
namespace {

constexpr size_t kShortestPlacementText = 9;  // shorter texts are ignored
constexpr size_t kPlacementFields = 5;
constexpr size_t kPlacementBuffer = 1024;

int Saturate(int64_t value) {
  return static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

// The start of a window of `size` on one axis: not before `first`, and
// (winning when the window is larger than the screen) not ending after `last`.
int Fit(int start, int64_t size, int first, int last) {
  int64_t fitted = start;
  if (fitted < first) fitted = first;
  if (start + size > last) fitted = last - size;
  return Saturate(fitted);
}

}  // namespace

std::string BuildPlacementText(const WindowPlacementInfo& info) {
  Rect rect = info.normal.value_or(info.current);
  if (info.showState == kShowNormal) rect = info.current;
  char text[96];
  std::snprintf(text, sizeof text, "%d;%d;%d;%d;%d;x,y,w,h,SW", rect.left, rect.top, rect.right,
                rect.bottom, info.showState);
  return text;
}

std::optional<PlacementResult> ApplyPlacementText(std::string_view text,
                                                  const Rect& virtualScreen) {
  if (text.size() < kShortestPlacementText) return std::nullopt;
  int fields[kPlacementFields] = {};
  size_t start = 0;
  for (size_t i = 0; i < kPlacementFields && start <= text.size(); ++i) {
    const size_t end = std::min(text.find(';', start), text.size());
    fields[i] = platform::ParseLeadingInt(text.substr(start, end - start));
    start = end + 1;
  }
  const auto& [left, top, right, bottom, showState] = fields;
  const int64_t width = int64_t{right} - left;
  const int64_t height = int64_t{bottom} - top;
  const int x = Fit(left, width, virtualScreen.left, virtualScreen.right);
  const int y = Fit(top, height, virtualScreen.top, virtualScreen.bottom);
  return PlacementResult{Rect{x, y, Saturate(x + width), Saturate(y + height)},
                         showState == kShowMaximised};
}

Rect FirstPlacement(const Rect& available, int width, int height, const Margins& frame) {
  const int roomWidth = std::max(1, available.right - available.left - frame.left - frame.right);
  const int roomHeight = std::max(1, available.bottom - available.top - frame.top - frame.bottom);
  const int fittedWidth = std::clamp(width, 1, roomWidth);
  const int fittedHeight = std::clamp(height, 1, roomHeight);
  const int left = available.left + frame.left + (roomWidth - fittedWidth) / 2;
  const int top = available.top + frame.top + (roomHeight - fittedHeight) / 2;
  return Rect{left, top, left + fittedWidth, top + fittedHeight};
}

bool SavePlacement(platform::RegistryStore& registry, const WindowPlacementInfo& info) {
  return registry.SetString(kApplicationRegistryKey, kPlacementValue, BuildPlacementText(info));
}

std::optional<std::string> LoadPlacementText(const platform::RegistryStore& registry) {
  auto text = registry.GetString(kApplicationRegistryKey, kPlacementValue);
  if (text && text->size() >= kPlacementBuffer) text->resize(kPlacementBuffer - 1);
  return text;
}

}  // namespace tavrek::app
