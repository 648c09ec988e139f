// Nick completion for the input line: the word before the caret completed
// from the front channel's members, each further Tab giving the next match.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

struct TCompletion {
  QString line;
  int caret = 0;
};

class TNickCompleter {
 public:
  // The line after one Tab. A fresh word is completed with the first member
  // (in alphabetical order, letter case aside) whose nick starts with it; a
  // line left as the last Tab made it moves on to the next, round again after
  // the last. ": " follows a nick at the line's start, " " one elsewhere.
  // Nothing when no member matches.
  std::optional<TCompletion> Complete(const QString& line, int caret, const QStringList& nicks);

 private:
  bool Continues(const QString& line, int caret) const;

  QStringList matches_;
  int next_ = 0;
  int wordStart_ = 0;
  TCompletion last_;
};
