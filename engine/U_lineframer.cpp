#include "U_lineframer.h"

#include <cstring>
#include <utility>

CZoLineFramer::CZoLineFramer(size_t capacity) : receive_(capacity), line_(capacity + 1) {}

void CZoLineFramer::Clear() {
  start_ = 0;
  filled_ = 0;
}

// Positions are members: a reader running a nested event loop may take the
// next lines before its own returns.
char* CZoLineFramer::Next() {
  const char* begin = receive_.buffer() + start_;
  if (const auto* lf = static_cast<const char*>(memchr(begin, '\n', filled_ - start_))) {
    const size_t length = static_cast<size_t>(lf - begin);
    start_ += length + 1;
    return Take(begin, length, true);
  }
  Compact();
  if (filled_ < receive_.capacity()) return nullptr;
  filled_ = 0;
  return Take(receive_.buffer(), receive_.capacity(), false);
}

char* CZoLineFramer::Rest() {
  Compact();
  if (filled_ == 0) return nullptr;
  return Take(receive_.buffer(), std::exchange(filled_, 0), false);
}

void CZoLineFramer::Compact() {
  if (start_ == 0) return;
  memmove(receive_.buffer(), receive_.buffer() + start_, filled_ - start_);
  filled_ -= start_;
  start_ = 0;
}

char* CZoLineFramer::Take(const char* text, size_t length, bool withLineFeed) {
  char* line = line_.buffer();
  memcpy(line, text, length);
  if (withLineFeed) line[length++] = '\n';
  line[length] = 0;
  return line;
}
