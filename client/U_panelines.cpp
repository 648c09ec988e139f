#include "U_panelines.h"

#include <algorithm>

void TPaneLines::SetKeep(int keep) {
  keep_ = std::max(keep, 1);
  while (Count() > keep_) {
    lines_.pop_front();
    ++first_;
  }
}

void TPaneLines::Add(TStoredLine line) {
  lines_.push_back(std::move(line));
  SetKeep(keep_);
}

QString TPaneLines::LineText(int64_t serial) const {
  const TShownLine shown = Shown(serial);
  return shown.text.mid(shown.stampLength);
}

QString TPaneLines::Text(TPanePos from, TPanePos to) const {
  QString text;
  if (lines_.empty()) return text;
  from = std::max(from, TPanePos{first_, 0});
  to = std::min(to, TPanePos{End(), 0});
  for (int64_t serial = from.line; serial <= to.line && serial < End(); ++serial) {
    const QString line = Shown(serial).text;
    const int start = serial == from.line ? from.offset : 0;
    const int end = serial == to.line ? to.offset : static_cast<int>(line.size());
    if (serial != from.line) text += QLatin1Char('\n');
    text += line.mid(start, std::max(0, end - start));
  }
  return text;
}

std::vector<TPaneMatch> TPaneLines::Find(const QString& needle, int most, int64_t from) const {
  std::vector<TPaneMatch> found;
  if (needle.isEmpty()) return found;
  for (int64_t serial = std::max(from, first_); serial < End(); ++serial) {
    const TShownLine shown = Shown(serial);
    for (qsizetype at = shown.text.indexOf(needle, shown.stampLength, Qt::CaseInsensitive); at >= 0;
         at = shown.text.indexOf(needle, at + needle.size(), Qt::CaseInsensitive))
      found.push_back({serial, static_cast<int>(at), static_cast<int>(needle.size())});
  }
  if (static_cast<int>(found.size()) > most) found.erase(found.begin(), found.end() - most);
  return found;
}

uint32_t TPaneLines::ColourAt(int64_t serial, int offset) const {
  const TShownLine shown = Shown(serial);
  const int at = shown.stampLength + offset;
  for (const TTextRun& run : shown.runs)
    if (at >= run.start && at < run.start + run.length) return run.colour;
  return 0;
}
