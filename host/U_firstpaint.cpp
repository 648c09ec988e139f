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

// The control's own widget may never be painted (its window covers it): the
// first paint of anything inside it counts.
class FirstPaintWatch : public QObject {
 public:
  explicit FirstPaintWatch(QWidget* control) : QObject(control), control_(control) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Paint || !watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget != control_ && !control_->isAncestorOf(widget)) return false;
    std::cerr << "velko: first paint of the control after " << Clock().elapsed() << " ms" << std::endl;
    qApp->removeEventFilter(this);
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    return false;
  }

 private:
  QWidget* control_;
};

}  // namespace

void StartFirstPaintClock() { Clock().start(); }

void ReportFirstPaintOf(QWidget* widget) {
  if (!widget || qEnvironmentVariable("VELKO_FIRST_PAINT") != QLatin1String("report")) return;
  qApp->installEventFilter(new FirstPaintWatch(widget));
}
