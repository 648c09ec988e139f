// A filled rectangle with a one-pixel outline: the nick and menu boxes.
#pragma once

#include <QWidget>
#include <cstdint>

class TShape : public QWidget {
 public:
  explicit TShape(QWidget* parent) : QWidget(parent) {}
  void SetColors(uint32_t brush, uint32_t pen);
  uint32_t Brush = 0xFFFFFF;
  uint32_t Pen = 0x000000;

 protected:
  void paintEvent(QPaintEvent* event) override;
};
