#include "U_firstpaint.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <iostream>

namespace {

QElapsedTimer& Clock() {
  static QElapsedTimer clock;
  return clock;
}

class FirstPaintWatch : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      std::cerr << "velko: first paint of the control after " << Clock().elapsed() << " ms" << std::endl;
      watched->removeEventFilter(this);
      QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }
    return false;
  }
};

}  // namespace

void StartFirstPaintClock() { Clock().start(); }

void ReportFirstPaintOf(QWidget* widget) {
  if (!widget || qEnvironmentVariable("VELKO_FIRST_PAINT") != QLatin1String("report")) return;
  widget->installEventFilter(new FirstPaintWatch(widget));
}
