#include "U_lineframer.h"

#include <cstring>
#include <utility>

CZoLineFramer::CZoLineFramer(size_t capacity) : receive_(capacity), splitter_(capacity) {}

void CZoLineFramer::Feed(size_t count, const Deliver& deliver) {
  const size_t total = carried_ + count;
  memcpy(splitter_.buffer(), receive_.buffer(), total);
  splitter_.reset(total);
  carried_ = 0;
  size_t length = 0;
  while (const char* line = splitter_.nextLine(&length))
    if (!DeliverLine(line, length, true, deliver)) return;
  size_t tailLength = 0;
  const char* tail = splitter_.remainder(&tailLength);
  if (!tail) return;
  if (tailLength >= receive_.capacity()) {
    DeliverLine(tail, tailLength, false, deliver);
    return;
  }
  memmove(receive_.buffer(), tail, tailLength);
  carried_ = tailLength;
}

void CZoLineFramer::Finish(const Deliver& deliver) {
  if (carried_ == 0) return;
  const size_t length = std::exchange(carried_, 0);
  memmove(splitter_.buffer(), receive_.buffer(), length);
  DeliverLine(splitter_.buffer(), length, false, deliver);
}

bool CZoLineFramer::DeliverLine(const char* text, size_t length, bool withLineFeed, const Deliver& deliver) {
  char* line = receive_.buffer();
  memcpy(line, text, length);
  if (withLineFeed) line[length++] = '\n';
  line[length] = 0;
  return deliver(line);
}
