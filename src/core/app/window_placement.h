#pragma once
// The main window's placement, kept as one text in the registry value
// "WinRC": "left;top;right;bottom;showState;x,y,w,h,SW" (edges, not a width
// and height, whatever the label says; show state 1 normal, 2 minimised,
// 3 maximised).
#include <optional>
#include <string>
#include <string_view>

#include "core/platform/registry_store.h"

namespace tavrek::app {

inline constexpr std::string_view kPlacementValue = "WinRC";
inline constexpr int kShowNormal = 1;
inline constexpr int kShowMinimised = 2;
inline constexpr int kShowMaximised = 3;

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const Rect&) const = default;
};

struct WindowPlacementInfo {
  Rect current;                // the window's rectangle on screen now
  std::optional<Rect> normal;  // its restored rectangle, when the platform tells it
  int showState = kShowNormal;
};

// The normal rectangle when known, but the current one in show state 1.
std::string BuildPlacementText(const WindowPlacementInfo& info);

struct PlacementResult {
  Rect rect;
  bool maximise = false;
  bool operator==(const PlacementResult&) const = default;
};

// Nothing for a text of 8 characters or fewer. Otherwise the fields split at
// ";" are read by their leading digits (left, top, right, bottom, show
// state; from the first missing field on all stay 0), then the rectangle is
// moved, keeping its size, so that it starts no further left or up than the
// virtual screen (the union of all screens) and, taking precedence, ends no
// further right or down. Show state 3 asks for maximising.
std::optional<PlacementResult> ApplyPlacementText(std::string_view text, const Rect& virtualScreen);

// How far a window manager's frame reaches beyond a window's inner rectangle.
struct Margins {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// The inner rectangle of a first start (nothing stored): `width` x `height`,
// made smaller where the window with its frame would not fit the available
// area (the screen without its panels), and centred there.
Rect FirstPlacement(const Rect& available, int width, int height, const Margins& frame);

// Stores the placement text under the application key; false when it cannot.
bool SavePlacement(platform::RegistryStore& registry, const WindowPlacementInfo& info);

// The stored placement text, cut to 1,023 bytes; nothing when there is none.
std::optional<std::string> LoadPlacementText(const platform::RegistryStore& registry);

}  // namespace tavrek::app
