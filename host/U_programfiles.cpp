#include "U_programfiles.h"

#include <QDir>
#include <QFileInfo>

QByteArray BesideProgram(const char* relative) {
  const QString folder = QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).absolutePath();
  return QDir::cleanPath(folder + QLatin1Char('/') + QString::fromLocal8Bit(relative)).toLocal8Bit();
}
