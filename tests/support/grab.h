// A widget's picture, also saved as name.png under $VELKO_GRAB_DIR when it is set.
#pragma once

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QWidget>

inline QImage Grab(QWidget& widget, const char* name) {
  QApplication::processEvents();  // pane lines wait for one pass of the loop
  const QImage image = widget.grab().toImage();
  const QString folder = qEnvironmentVariable("VELKO_GRAB_DIR");
  if (!folder.isEmpty() && QDir().mkpath(folder)) image.save(QDir(folder).filePath(QString::fromUtf8(name) + ".png"));
  return image;
}
