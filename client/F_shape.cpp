#include "F_shape.h"

#include <QPainter>

void TShape::SetColors(uint32_t brush, uint32_t pen) {
  Brush = brush;
  Pen = pen;
  update();
}

void TShape::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor::fromRgb(Brush & 0xFFFFFF));
  painter.setPen(QColor::fromRgb(Pen & 0xFFFFFF));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
