// The lines of an output pane, kept as they came (coded text, its stamp and
// nick) and decoded into text with formatting runs only when read: about
// 180 bytes a line. The oldest go beyond what the pane keeps; every line
// keeps its serial number while older ones go.
#pragma once

#include <QString>
#include <compare>
#include <cstdint>
#include <deque>
#include <vector>

#include "U_codedtext.h"

struct TStoredLine {
  TPaneLine line;
  uint32_t band = 0;  // the colour behind the line; 0 for none
};

// A place between two characters: the line's serial and the characters before it.
struct TPanePos {
  int64_t line = 0;
  int offset = 0;
  auto operator<=>(const TPanePos&) const = default;
};

struct TPaneMatch {
  int64_t line = 0;
  int start = 0;
  int length = 0;
};

class TPaneLines {
 public:
  void SetKeep(int keep);
  void Add(TStoredLine line);
  int Count() const { return static_cast<int>(lines_.size()); }
  // The serials of the oldest line and of the line after the newest.
  int64_t First() const { return first_; }
  int64_t End() const { return first_ + Count(); }
  bool Has(int64_t serial) const { return serial >= first_ && serial < End(); }
  const TStoredLine& At(int64_t serial) const { return lines_[static_cast<size_t>(serial - first_)]; }
  TShownLine Shown(int64_t serial) const { return ShownLine(At(serial).line); }
  // Without its stamp.
  QString LineText(int64_t serial) const;
  // The characters between two places, lines joined by a line break; places
  // of lines gone count from the oldest line.
  QString Text(TPanePos from, TPanePos to) const;
  // Every match of `needle` in the text after the stamps of the lines from
  // `from` on, ignoring letter case, oldest first: the newest `most` of them.
  std::vector<TPaneMatch> Find(const QString& needle, int most, int64_t from = 0) const;
  // The colour of the character `offset` characters after the stamp.
  uint32_t ColourAt(int64_t serial, int offset) const;

 private:
  std::deque<TStoredLine> lines_;
  int64_t first_ = 0;
  int keep_ = kPaneKeepDefault;
};
