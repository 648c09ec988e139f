#include "U_complete.h"

#include <algorithm>

namespace {

QString Suffix(int wordStart) { return wordStart == 0 ? QStringLiteral(": ") : QStringLiteral(" "); }

}  // namespace

bool TNickCompleter::Continues(const QString& line, int caret) const {
  return !matches_.isEmpty() && line == last_.line && caret == last_.caret;
}

std::optional<TCompletion> TNickCompleter::Complete(const QString& line, int caret, const QStringList& nicks) {
  caret = std::clamp(caret, 0, static_cast<int>(line.size()));
  if (!Continues(line, caret)) {
    wordStart_ = static_cast<int>(line.lastIndexOf(QLatin1Char(' '), caret - 1)) + 1;
    const QString word = line.mid(wordStart_, caret - wordStart_);
    matches_.clear();
    next_ = 0;
    if (word.isEmpty()) return std::nullopt;
    for (const QString& nick : nicks)
      if (nick.startsWith(word, Qt::CaseInsensitive)) matches_ << nick;
    if (matches_.isEmpty()) return std::nullopt;
    std::sort(matches_.begin(), matches_.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
  }
  // Cycling replaces the previous completion, its suffix included.
  const QString nick = matches_[next_ % matches_.size()] + Suffix(wordStart_);
  next_ = (next_ + 1) % static_cast<int>(matches_.size());
  QString result = line;
  result.replace(wordStart_, caret - wordStart_, nick);
  last_ = {result, wordStart_ + static_cast<int>(nick.size())};
  return last_;
}
