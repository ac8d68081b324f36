#include "ui/app/frame_icon.h"

#include <QPainter>
#include <QPixmap>

namespace tavrek::ui {
namespace {

// An eye over a folder tab, in the colours of the watch window's icons.
QPixmap DrawIcon(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal unit = size / 16.0;
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0xE8, 0xB3, 0x3C));
  painter.drawRoundedRect(QRectF(1 * unit, 3 * unit, 6 * unit, 3 * unit), unit, unit);
  painter.drawRoundedRect(QRectF(1 * unit, 4 * unit, 14 * unit, 10 * unit), unit, unit);
  painter.setBrush(Qt::white);
  painter.drawEllipse(QRectF(3 * unit, 6.5 * unit, 10 * unit, 5 * unit));
  painter.setBrush(QColor(0x1F, 0x5F, 0xA8));
  painter.drawEllipse(QPointF(8 * unit, 9 * unit), 2.2 * unit, 2.2 * unit);
  return pixmap;
}

}  // namespace

QIcon FrameIcon() {
  QIcon icon;
  for (int size : {16, 32, 48}) icon.addPixmap(DrawIcon(size));
  return icon;
}

}  // namespace tavrek::ui
