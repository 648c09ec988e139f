#include "U_lineframer.h"

#include <cstring>
#include <utility>

CZoLineFramer::CZoLineFramer(size_t capacity) : receive_(capacity), line_(capacity + 1) {}

void CZoLineFramer::Clear() {
  start_ = 0;
  filled_ = 0;
  ++clears_;
}

bool CZoLineFramer::Feed(size_t count, const Deliver& deliver) {
  filled_ += count;
  return Drain(deliver);
}

// Positions are members, not locals: a receiver running a nested event loop
// may drain the same framer before its own line returns.
bool CZoLineFramer::Drain(const Deliver& deliver) {
  const uint64_t clears = clears_;
  for (;;) {
    const char* begin = receive_.buffer() + start_;
    const char* lf = static_cast<const char*>(memchr(begin, '\n', filled_ - start_));
    if (!lf) break;
    const size_t length = static_cast<size_t>(lf - begin);
    start_ += length + 1;
    const bool more = DeliverLine(begin, length, true, deliver);
    if (clears != clears_) return false;
    if (!more) {
      Compact();
      return false;
    }
  }
  Compact();
  if (filled_ < receive_.capacity()) return true;
  filled_ = 0;
  return DeliverLine(receive_.buffer(), receive_.capacity(), false, deliver);
}

void CZoLineFramer::Compact() {
  if (start_ == 0) return;
  memmove(receive_.buffer(), receive_.buffer() + start_, filled_ - start_);
  filled_ -= start_;
  start_ = 0;
}

void CZoLineFramer::Finish(const Deliver& deliver) {
  if (!Drain(deliver) || filled_ == 0) return;
  const size_t length = std::exchange(filled_, 0);
  DeliverLine(receive_.buffer(), length, false, deliver);
}

bool CZoLineFramer::DeliverLine(const char* text, size_t length, bool withLineFeed, const Deliver& deliver) {
  char* line = line_.buffer();
  memcpy(line, text, length);
  if (withLineFeed) line[length++] = '\n';
  line[length] = 0;
  return deliver(line);
}
