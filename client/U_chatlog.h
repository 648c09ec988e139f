// Chat logs: the lines of each channel and private window appended to a
// daily UTF-8 text file, one folder per server, under the settings folder.
#pragma once

#include <QDateTime>
#include <QString>

class TChatLog {
 public:
  // Files go under `root`, which is created when the first line comes.
  explicit TChatLog(QString root);

  // Appends "[HH:MM] text" to root/SERVER/WINDOW-YYYY-MM-DD.log; false when
  // the file cannot be written. Names are made safe as path parts first.
  bool Append(const QString& server, const QString& window, const QDateTime& when, const QString& text) const;
  QString FilePath(const QString& server, const QString& window, const QDate& day) const;

  // A name that stays one path part: no separators, control characters or
  // leading dot; letter case folded, so #Chat and #chat share a file.
  static QString SafeName(const QString& name);

 private:
  QString root_;
};
