#include "app/Appearance.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>

namespace quillon {

void SetFieldBackground(QWidget* field, QPalette::ColorRole systemColour) {
  const QColor colour = QApplication::palette().color(QPalette::Active, systemColour);
  QPalette palette = field->palette();
  for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    palette.setColor(group, QPalette::Base, colour);
  }
  field->setPalette(palette);
}

namespace {
// A quill over a dark shield, drawn at any size.
QPixmap DrawEmblem(int width, int height) {
  QPixmap pixmap(width, height);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(width / 52.0, height / 53.0);

  QPainterPath shield;
  shield.moveTo(4, 4);
  shield.lineTo(48, 4);
  shield.lineTo(48, 28);
  shield.quadTo(48, 44, 26, 51);
  shield.quadTo(4, 44, 4, 28);
  shield.closeSubpath();
  painter.setPen(QPen(QColor(0x40, 0x10, 0x08), 2));
  painter.setBrush(QColor(0x8a, 0x1c, 0x10));
  painter.drawPath(shield);

  QPainterPath quill;
  quill.moveTo(40, 8);
  quill.cubicTo(26, 12, 16, 26, 14, 44);
  quill.cubicTo(22, 32, 32, 22, 40, 8);
  painter.setPen(QPen(QColor(0xf0, 0xd8, 0x90), 1.2));
  painter.setBrush(QColor(0xf7, 0xe9, 0xb8));
  painter.drawPath(quill);
  painter.drawLine(QPointF(14, 44), QPointF(11, 49));
  return pixmap;
}
}  // namespace

QPixmap EmblemPixmap() { return DrawEmblem(52, 53); }

QIcon EmblemIcon() {
  QIcon icon;
  for (int size : {16, 32, 48, 64}) icon.addPixmap(DrawEmblem(size, size));
  return icon;
}

}  // namespace quillon
