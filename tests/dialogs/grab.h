// Saves a picture of a window into $VELKO_GRAB_DIR, when it is set, for a
// person to look at.
#pragma once

#include <QDir>
#include <QWidget>

inline void GrabIfAsked(QWidget& window, const QString& name) {
  const QString folder = qEnvironmentVariable("VELKO_GRAB_DIR");
  if (!folder.isEmpty()) window.grab().save(QDir(folder).filePath(name + ".png"));
}
