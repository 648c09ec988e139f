// Cuts a received byte stream into lines at line feeds, carrying an unfinished
// line over to the next read. A full buffer without a line end is handed on
// as one line so reading can go on.
#pragma once

#include <cstddef>
#include <functional>

#include "U_commondata.h"

class CZoLineFramer {
 public:
  // Receives each line with its line feed (none for a full-buffer line);
  // returns false to stop delivering the rest of the read.
  using Deliver = std::function<bool(char* line)>;

  explicit CZoLineFramer(size_t capacity);

  // Where the next read goes, and how much room it has.
  char* Space() { return receive_.buffer() + carried_; }
  size_t SpaceLeft() const { return receive_.capacity() - carried_; }
  // Frames `count` bytes just read into Space().
  void Feed(size_t count, const Deliver& deliver);
  // Hands on an unfinished line as it is: the stream has ended.
  void Finish(const Deliver& deliver);
  // Drops an unfinished line.
  void Clear() { carried_ = 0; }

 private:
  bool DeliverLine(const char* text, size_t length, bool withLineFeed, const Deliver& deliver);

  ZoStringStatic receive_;
  size_t carried_ = 0;
  ZoStringStaticN splitter_;
};
