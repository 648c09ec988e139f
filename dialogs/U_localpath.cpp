#include "U_localpath.h"

#include <QFile>

QString FromLocalPath(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

std::string ToLocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

std::string WithSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}
