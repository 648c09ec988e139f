// Cuts a received byte stream into lines at line feeds, carrying an unfinished
// line over to the next read. A full buffer without a line end is handed on
// as one line so reading can go on. The reader takes lines one at a time, so
// it may stop at any line: the rest stay and come first next time.
#pragma once

#include <cstddef>

#include "U_commondata.h"

class CZoLineFramer {
 public:
  explicit CZoLineFramer(size_t capacity);

  // Where the next read goes, and how much room it has.
  char* Space() { return receive_.buffer() + filled_; }
  size_t SpaceLeft() const { return receive_.capacity() - filled_; }
  // Takes `count` bytes just read into Space().
  void Add(size_t count) { filled_ += count; }
  // The next complete line with its line feed (a full buffer as it is), or
  // null when none is held. Valid until the next call.
  char* Next();
  // The unfinished line held, taken as it is: the stream has ended. Null when
  // nothing is held.
  char* Rest();
  // Drops everything held.
  void Clear();

 private:
  char* Take(const char* text, size_t length, bool withLineFeed);
  // Moves what is left to the front of the buffer.
  void Compact();

  ZoStringStatic receive_;
  ZoStringStatic line_;
  size_t start_ = 0;   // first byte not yet taken
  size_t filled_ = 0;  // bytes held
};
