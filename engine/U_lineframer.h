// Cuts a received byte stream into lines at line feeds, carrying an unfinished
// line over to the next read. A full buffer without a line end is handed on
// as one line so reading can go on. Delivery may pause: the lines not yet
// delivered stay and come first at the next Drain or Feed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "U_commondata.h"

class CZoLineFramer {
 public:
  // Receives each line with its line feed (none for a full-buffer line);
  // returns false to pause delivery.
  using Deliver = std::function<bool(char* line)>;

  explicit CZoLineFramer(size_t capacity);

  // Where the next read goes, and how much room it has.
  char* Space() { return receive_.buffer() + filled_; }
  size_t SpaceLeft() const { return receive_.capacity() - filled_; }
  // Frames `count` bytes just read into Space(); false when delivery paused
  // (or the framer was cleared meanwhile).
  bool Feed(size_t count, const Deliver& deliver);
  // Delivers the complete lines still held; false when delivery paused.
  bool Drain(const Deliver& deliver);
  // Hands on what is held as it is, the unfinished line last: the stream has ended.
  void Finish(const Deliver& deliver);
  // Drops everything held.
  void Clear();

 private:
  bool DeliverLine(const char* text, size_t length, bool withLineFeed, const Deliver& deliver);
  // Moves what is left to the front of the buffer.
  void Compact();

  ZoStringStatic receive_;
  ZoStringStatic line_;
  size_t start_ = 0;   // first byte not yet delivered
  size_t filled_ = 0;  // bytes held
  uint64_t clears_ = 0;
};
