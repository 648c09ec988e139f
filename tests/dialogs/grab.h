// A widget's picture, also saved under $VELKO_GRAB_DIR when it is set.
#pragma once

#include <QDir>
#include <QImage>
#include <QWidget>

inline QImage Grab(QWidget& widget, const char* fileName) {
  const QImage image = widget.grab().toImage();
  const QString folder = qEnvironmentVariable("VELKO_GRAB_DIR");
  if (!folder.isEmpty()) image.save(QDir(folder).filePath(fileName));
  return image;
}
