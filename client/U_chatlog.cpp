#include "U_chatlog.h"

#include <QDir>
#include <QFile>

TChatLog::TChatLog(QString root) : root_(std::move(root)) {}

QString TChatLog::SafeName(const QString& name) {
  QString safe = name.toLower();
  for (QChar& c : safe)
    if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.category() == QChar::Other_Control) c = QLatin1Char('_');
  if (safe.isEmpty() || safe.startsWith(QLatin1Char('.'))) safe.prepend(QLatin1Char('_'));
  return safe;
}

QString TChatLog::FilePath(const QString& server, const QString& window, const QDate& day) const {
  return QDir(root_).filePath(SafeName(server) + QLatin1Char('/') + SafeName(window) + QLatin1Char('-') +
                              day.toString(Qt::ISODate) + QStringLiteral(".log"));
}

bool TChatLog::Append(const QString& server, const QString& window, const QDateTime& when, const QString& text) const {
  const QString path = FilePath(server, window, when.date());
  if (!QDir().mkpath(QFileInfo(path).path())) return false;
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) return false;
  const QByteArray line = (when.toString(QStringLiteral("[HH:mm] ")) + text + QLatin1Char('\n')).toUtf8();
  return file.write(line) == line.size();
}
