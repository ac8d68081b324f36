#include "ui/window/action_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <array>

#include "core/engine/action.h"

namespace tavrek::ui {
namespace {

using Painter = void (*)(QPainter&);

void DrawCreated(QPainter& p) {  // a green plus
  p.fillRect(6, 2, 4, 11, QColor(0x2E, 0x9E, 0x3A));
  p.fillRect(2, 6, 12, 3, QColor(0x2E, 0x9E, 0x3A));
}
void DrawDeleted(QPainter& p) {  // a red cross
  p.setPen(QPen(QColor(0xD0, 0x20, 0x20), 3));
  p.drawLine(3, 3, 12, 11);
  p.drawLine(12, 3, 3, 11);
}
void DrawChanged(QPainter& p) {  // a yellow diamond
  QPainterPath path;
  path.moveTo(8, 1);
  path.lineTo(14, 7);
  path.lineTo(8, 13);
  path.lineTo(2, 7);
  path.closeSubpath();
  p.fillPath(path, QColor(0xE8, 0xB0, 0x10));
}
void DrawRename(QPainter& p) {  // two blue arrows
  p.setPen(QPen(QColor(0x20, 0x60, 0xD0), 2));
  p.drawLine(2, 4, 13, 4);
  p.drawLine(10, 1, 13, 4);
  p.drawLine(14, 10, 3, 10);
  p.drawLine(6, 13, 3, 10);
}
void DrawUnused(QPainter& p) { p.fillRect(5, 5, 6, 5, QColor(0xA0, 0xA0, 0xA0)); }
void DrawWritten(QPainter& p) {  // an orange pencil stroke
  p.setPen(QPen(QColor(0xE0, 0x70, 0x10), 3));
  p.drawLine(3, 12, 12, 3);
  p.setPen(QPen(Qt::black, 1));
  p.drawLine(2, 13, 4, 13);
}
void DrawAccessTime(QPainter& p) {  // a cyan clock
  p.setPen(QPen(QColor(0x10, 0x90, 0xA0), 2));
  p.drawEllipse(2, 1, 12, 12);
  p.drawLine(8, 7, 8, 4);
  p.drawLine(8, 7, 11, 7);
}
void DrawSize(QPainter& p) {  // purple bars of growing height
  const QColor colour(0x80, 0x30, 0xB0);
  p.fillRect(2, 9, 3, 4, colour);
  p.fillRect(6, 6, 3, 7, colour);
  p.fillRect(10, 2, 3, 11, colour);
}
void DrawSecurity(QPainter& p) {  // a dark padlock
  p.setPen(QPen(QColor(0x40, 0x40, 0x40), 2));
  p.drawArc(4, 1, 8, 8, 0, 180 * 16);
  p.fillRect(3, 6, 10, 8, QColor(0x40, 0x40, 0x40));
}
void DrawOther(QPainter& p) {  // a grey question mark
  p.setPen(QColor(0x60, 0x60, 0x60));
  QFont font = p.font();
  font.setPixelSize(13);
  font.setBold(true);
  p.setFont(font);
  p.drawText(QRect(0, 0, kActionIconWidth, kActionIconHeight), Qt::AlignCenter,
             QStringLiteral("?"));
}

constexpr std::array<Painter, engine::kActionImageCount> kPainters{
    DrawCreated, DrawDeleted, DrawChanged, DrawRename, DrawUnused,
    DrawWritten, DrawAccessTime, DrawSize, DrawSecurity, DrawOther};

std::array<QIcon, engine::kActionImageCount> MakeIcons() {
  std::array<QIcon, engine::kActionImageCount> icons;
  for (size_t code = 0; code < icons.size(); ++code) {
    QPixmap pixmap(kActionIconWidth, kActionIconHeight);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    kPainters[code](painter);
    painter.end();
    icons[code] = QIcon(pixmap);
  }
  return icons;
}

}  // namespace

const QIcon& ActionIcon(int actionCode) {
  static const std::array<QIcon, engine::kActionImageCount> icons = MakeIcons();
  static const QIcon none;
  if (actionCode < 0 || actionCode >= engine::kActionImageCount) return none;
  return icons[static_cast<size_t>(actionCode)];
}

}  // namespace tavrek::ui
