// The yardstick for the host's start-up and memory: a bare Qt Widgets
// program showing one widget. With VELKO_FIRST_PAINT=report it says when the
// widget was first painted, as the host does, and ends.
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <iostream>

class PaintReporter : public QLabel {
 public:
  using QLabel::QLabel;

 protected:
  void paintEvent(QPaintEvent* event) override {
    QLabel::paintEvent(event);
    if (reported_ || qEnvironmentVariable("VELKO_FIRST_PAINT") != QLatin1String("report")) return;
    reported_ = true;
    std::cerr << "velko: first paint of the control" << std::endl;
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
  }

 private:
  bool reported_ = false;
};

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  PaintReporter label(QStringLiteral("Velko"));
  label.resize(760, 520);
  label.show();
  return app.exec();
}
