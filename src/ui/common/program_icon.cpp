#include "ui/common/program_icon.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>

#include "core/app/program_icon.h"

namespace tavrek::ui {
namespace {

constexpr int kFallbackSize = 32;

QIcon DrawnIcon() {
  QPixmap pixmap(kFallbackSize, kFallbackSize);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(QColor(0xe8, 0xb1, 0x3a));
  painter.setPen(QColor(0x9a, 0x6b, 0x10));
  painter.drawRect(3, 8, 26, 19);
  painter.setBrush(Qt::white);
  painter.setPen(QPen(QColor(0x1d, 0x4f, 0x91), 2));
  painter.drawEllipse(QPoint(17, 19), 6, 6);
  return QIcon(pixmap);
}

}  // namespace

QIcon ProgramWindowIcon() {
  const std::string_view svg = app::ProgramIconSvg();
  QImage image;
  if (image.loadFromData(reinterpret_cast<const uchar*>(svg.data()), static_cast<int>(svg.size()),
                         "SVG")) {
    return QIcon(QPixmap::fromImage(image));
  }
  return QIcon::fromTheme(QStringLiteral("tavrek"), DrawnIcon());
}

}  // namespace tavrek::ui
