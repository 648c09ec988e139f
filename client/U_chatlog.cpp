#include "U_chatlog.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace {

// With "-YYYY-MM-DD.log" well inside the 255 bytes a file name may have.
constexpr qsizetype kMaxNameBytes = 200;
constexpr qsizetype kHashChars = 16;

QString Shortened(const QString& name) {
  const QByteArray bytes = name.toUtf8();
  if (bytes.size() <= kMaxNameBytes) return name;
  qsizetype cut = kMaxNameBytes - kHashChars - 1;
  while (cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80) --cut;
  const QByteArray hash = QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().left(kHashChars);
  return QString::fromUtf8(bytes.left(cut)) + QLatin1Char('~') + QString::fromLatin1(hash);
}

QString DayPath(const QString& stem, const QDate& day) {
  return stem + QLatin1Char('-') + day.toString(Qt::ISODate) + QStringLiteral(".log");
}

}  // namespace

TChatLog::TChatLog(QString root) : root_(std::move(root)) {
  flush_.setSingleShot(true);
  flush_.setInterval(kFlushMs);
  QObject::connect(&flush_, &QTimer::timeout, &flush_, [this] { Flush(); });
}

TChatLog::~TChatLog() { Flush(); }

QString TChatLog::SafeName(const QString& name) {
  QString safe = name.toLower();
  for (QChar& c : safe)
    if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.category() == QChar::Other_Control) c = QLatin1Char('_');
  if (safe.isEmpty() || safe.startsWith(QLatin1Char('.'))) safe.prepend(QLatin1Char('_'));
  return Shortened(safe);
}

QString TChatLog::Stem(const QString& server, const QString& window) const {
  return QDir(root_).filePath(SafeName(server) + QLatin1Char('/') + SafeName(window));
}

QString TChatLog::FilePath(const QString& server, const QString& window, const QDate& day) const {
  return DayPath(Stem(server, window), day);
}

const QString& TChatLog::KnownStem(const QString& server, const QString& window) {
  constexpr qsizetype kMaxKnown = 1000;
  const QString key = server + QLatin1Char('\n') + window;
  auto found = stems_.constFind(key);
  if (found != stems_.constEnd()) return *found;
  if (stems_.size() >= kMaxKnown) stems_.clear();
  return *stems_.insert(key, Stem(server, window));
}

QFile* TChatLog::FileFor(const QString& stem, const QDate& day) {
  TOpenFile& entry = open_[stem];
  entry.lastUse = ++uses_;
  if (entry.file && entry.day == day) return entry.file.get();
  if (open_.size() > kMaxOpenFiles)
    open_.erase(std::min_element(open_.begin(), open_.end(), [](const auto& a, const auto& b) {
      return a.second.lastUse < b.second.lastUse;
    }));
  const QString path = DayPath(stem, day);
  entry.day = day;
  entry.file = std::make_unique<QFile>(path);
  if (QDir().mkpath(QFileInfo(path).path()) && entry.file->open(QIODevice::WriteOnly | QIODevice::Append))
    return entry.file.get();
  open_.erase(stem);
  return nullptr;
}

// Read as local date and time: asking for the moment since the epoch would
// look up the time zone on every line.
const QByteArray& TChatLog::TimePrefix(const QDateTime& when) {
  const QTime time = when.time();
  const qint64 minute = when.date().toJulianDay() * 1440 + time.hour() * 60 + time.minute();
  if (minute != prefixMinute_) {
    prefixMinute_ = minute;
    prefix_ = when.toString(QStringLiteral("[HH:mm] ")).toUtf8();
  }
  return prefix_;
}

bool TChatLog::Append(const QString& server, const QString& window, const QDateTime& when, const QString& text) {
  QFile* file = FileFor(KnownStem(server, window), when.date());
  if (!file) return false;
  const QByteArray line = TimePrefix(when) + text.toUtf8() + '\n';
  if (!flush_.isActive()) flush_.start();
  return file->write(line) == line.size();
}

bool TChatLog::Append(const QString& server, const QString& window, qint64 utcMs, const QString& text) {
  const qint64 minute = (utcMs ? utcMs : QDateTime::currentMSecsSinceEpoch()) / 60000;
  if (minute != minute_) {
    minute_ = minute;
    minuteStart_ = QDateTime::fromMSecsSinceEpoch(minute * 60000);
  }
  return Append(server, window, minuteStart_, text);
}

void TChatLog::Flush() {
  flush_.stop();
  for (auto& [key, entry] : open_)
    if (entry.file) entry.file->flush();
}
