// Chat logs: the lines of each channel and private window appended to a
// daily UTF-8 text file, one folder per server, under the settings folder.
// A flood must not cost a file opening per line: each window's file stays
// open and buffered, flushed at least once a second and when the log goes.
#pragma once

#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QString>
#include <QTimer>
#include <map>
#include <memory>

class TChatLog {
 public:
  static constexpr int kFlushMs = 1000;
  // Hundreds of channels must not cost as many open files.
  static constexpr size_t kMaxOpenFiles = 32;

  // Files go under `root`, which is created when the first line comes.
  explicit TChatLog(QString root);
  ~TChatLog();

  // Appends "[HH:MM] text" to root/SERVER/WINDOW-YYYY-MM-DD.log (the day of
  // `when`, so a new file from midnight on); false when the file cannot be
  // written. Names are made safe as path parts first.
  bool Append(const QString& server, const QString& window, const QDateTime& when, const QString& text);
  // The same at `utcMs` (0: now): a flood's lines share their minute, so
  // the local time is looked up once a minute, not per line.
  bool Append(const QString& server, const QString& window, qint64 utcMs, const QString& text);
  QString FilePath(const QString& server, const QString& window, const QDate& day) const;
  // Everything appended so far on the disk.
  void Flush();

  // A name that stays one path part: no separators, control characters or
  // leading dot; letter case folded, so #Chat and #chat share a file; a name
  // too long for a file name keeps its start and gets a hash of the whole.
  static QString SafeName(const QString& name);

 private:
  struct TOpenFile {
    std::unique_ptr<QFile> file;
    QDate day;
    quint64 lastUse = 0;
  };
  // root/SERVER/WINDOW, the path without its day.
  QString Stem(const QString& server, const QString& window) const;
  // The same, remembered for the names as given: a flood asks per line.
  const QString& KnownStem(const QString& server, const QString& window);
  QFile* FileFor(const QString& stem, const QDate& day);
  const QByteArray& TimePrefix(const QDateTime& when);

  QString root_;
  QHash<QString, QString> stems_;
  // By stem, so #Chat and #chat share one open file.
  std::map<QString, TOpenFile> open_;
  quint64 uses_ = 0;
  qint64 minute_ = -1;
  QDateTime minuteStart_;
  qint64 prefixMinute_ = -1;
  QByteArray prefix_;
  QTimer flush_;
};
