#include "core/window/window_layout.h"

#include <algorithm>

namespace tavrek::window {
namespace {

constexpr int kAccessToolbarWidth = 340;
constexpr int kLogToolbarWidth = 1200;
constexpr int kToolbarExtraHeight = 3;
constexpr int kListGap = 5;
constexpr int kLogOffset = 20;
constexpr int kLogShorter = 15;
constexpr int kCountLabelGap = 3;
constexpr int kCountLabelHeight = 15;
constexpr int kFilterToolbarHeight = 20;

// Very small windows give negative sizes; a control cannot be smaller than nothing.
int NonNegative(int value) { return std::max(value, 0); }

}  // namespace

WindowLayout ComputeLayout(const LayoutInput& in) {
  WindowLayout out;
  const Rect& label = in.accessLabel;
  const Rect& access = in.accessList;
  const Rect& folders = in.folderList;
  const int toolbarHeight = std::max(label.height + kToolbarExtraHeight, in.toolbarHeight);
  const int accessToolbarWidth = std::max(kAccessToolbarWidth, in.accessToolbarWidth);
  out.accessToolbar = {label.x, label.y - 1, accessToolbarWidth, toolbarHeight};

  const int half = (in.height - 2 * in.edge - access.y) / 2 - kListGap;
  const int w = in.width - access.x - in.edge;
  // A toolbar taller than the gap above the log pushes the log's top down.
  const int logOffset = std::max(kLogOffset, toolbarHeight);
  const int halfLog = half - kLogShorter - (logOffset - kLogOffset);
  const int shift = std::clamp(in.minimumLogHeight - halfLog, 0,
                               NonNegative(half - in.minimumAccessHeight));
  const int h = half - shift;
  out.accessList = {access.x, access.y, NonNegative(w), NonNegative(h)};

  const int y = access.y + h + in.edge;
  out.changeLog = {access.x, y + logOffset, NonNegative(w), NonNegative(halfLog + shift)};
  out.logLabel = {access.x, y, label.width, label.height};
  out.logToolbar = {access.x, y, kLogToolbarWidth, toolbarHeight};

  const int folderWidth = NonNegative(static_cast<int>(w * kFolderListShare));
  const int filterWidth = NonNegative(static_cast<int>(w * kFilterListShare));
  const int filterX = access.x + folderWidth + kListGap;
  out.folderList = {folders.x, folders.y, folderWidth, folders.height};
  out.filterList = {filterX, folders.y, filterWidth, folders.height};
  // The counter sits under the filter list, but never over the access
  // toolbar's buttons in the same band: it moves right of them when the
  // window is narrow.
  const int countX = std::max(filterX, out.accessToolbar.right() + kListGap);
  const int countWidth = NonNegative(std::min(filterWidth, in.width - in.edge - countX));
  out.filteredCount = {countX, folders.bottom() + kCountLabelGap, countWidth, kCountLabelHeight};
  out.filterToolbar = {filterX, folders.y - kFilterToolbarHeight, filterWidth, kFilterToolbarHeight};
  return out;
}

}  // namespace tavrek::window
