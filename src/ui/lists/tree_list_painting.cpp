#include "ui/lists/tree_list_painting.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace tavrek::ui {
namespace {

constexpr int kChannelMax = 255;
constexpr int kGridKeptWeight = 223;       // of 255: darkened by 32
constexpr int kLightenWeight = 96;         // of 255 towards white
constexpr int kMarkKeptWeight = 180;       // of 255: the row's pixels under the fill
constexpr qreal kOuterCornerRadius = 2.5;  // a corner ellipse 5 pixels wide
constexpr qreal kInnerCornerRadius = 1.0;  // a corner ellipse 2 pixels wide
constexpr double kFullBar = 100.0;

const QColor kBarColour(0xC0, 0xFF, 0xC0);
const QColor kFocusedBarColour(0x40, 0x80, 0x40);

int Darken(int channel) { return channel * kGridKeptWeight / kChannelMax; }
int Lighten(int channel) {
  return channel + (kChannelMax - channel) * kLightenWeight / kChannelMax;
}

}  // namespace

QColor GridLineColour(const QColor& window) {
  return QColor(Darken(window.red()), Darken(window.green()), Darken(window.blue()));
}

QColor Lightened(const QColor& colour) {
  return QColor(Lighten(colour.red()), Lighten(colour.green()), Lighten(colour.blue()));
}

QColor BarColour(bool focusedRow) { return focusedRow ? kFocusedBarColour : kBarColour; }

void DrawSelectionMark(QPainter& painter, const QRect& rect, const QColor& selection,
                       bool transparent) {
  if (rect.width() < 2 || rect.height() < 2) return;
  const QColor light = Lightened(selection);
  // Pens draw on the pixel right of and below a coordinate: the outline of a
  // rectangle lies one pixel inside its right and bottom edges.
  const QRect outline = rect.adjusted(0, 0, -1, -1);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(selection);
  painter.drawRoundedRect(outline, kOuterCornerRadius, kOuterCornerRadius);
  painter.setPen(light);
  painter.drawRoundedRect(outline.adjusted(1, 1, -1, -1), kInnerCornerRadius, kInnerCornerRadius);
  if (!transparent) {
    QColor veil = light;
    veil.setAlpha(kChannelMax - kMarkKeptWeight);
    painter.fillRect(rect, veil);
    painter.drawRect(outline);
  }
  painter.restore();
}

void DrawBar(QPainter& painter, const QRect& cell, double percent, const QColor& colour) {
  if (std::isnan(percent)) return;
  const double covered = std::clamp(percent, 0.0, kFullBar) / kFullBar;
  const int width = static_cast<int>(std::lround(cell.width() * covered));
  if (width <= 0) return;
  painter.fillRect(QRect(cell.left(), cell.top(), width, cell.height()), colour);
}

}  // namespace tavrek::ui
