#include "ui/window/tab_cycle.h"

#include <QApplication>
#include <QWidget>
#include <algorithm>

namespace tavrek::ui {

bool MoveFocusAlong(const std::vector<QWidget*>& stops, bool forward) {
  const QWidget* focus = QApplication::focusWidget();
  if (focus == nullptr) return false;
  const auto holder = std::find_if(stops.begin(), stops.end(), [focus](const QWidget* stop) {
    return stop == focus || stop->isAncestorOf(focus);
  });
  if (holder == stops.end()) return false;
  const size_t count = stops.size();
  const size_t from = static_cast<size_t>(holder - stops.begin());
  for (size_t step = 1; step < count; ++step) {
    QWidget* candidate = stops[(forward ? from + step : from + count - step) % count];
    if (candidate->isVisible() && candidate->isEnabled()) {
      candidate->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
      return true;
    }
  }
  return true;  // the only stop that can take the focus keeps it
}

}  // namespace tavrek::ui
