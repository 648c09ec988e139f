// HTTP responses from any web server the page or skin names. However the
// bytes are split into chunks, the reader must see the same response.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "U_httpreader.h"

namespace {

struct Outcome {
  std::string body;
  bool complete, broken, endsAtClose, keepAlive, started;
  bool operator==(const Outcome&) const = default;
};

Outcome Read(const char* data, size_t size, size_t piece) {
  CZoHttpReader reader;
  Outcome outcome{};
  for (size_t at = 0; at < size; at += piece)
    reader.Feed(data + at, std::min(piece, size - at),
                [&](const char* body, size_t count) { outcome.body.append(body, count); });
  outcome.complete = reader.Complete();
  outcome.broken = reader.Broken();
  outcome.endsAtClose = reader.EndsAtClose();
  outcome.keepAlive = reader.KeepAlive();
  outcome.started = reader.Started();
  return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t piece = data[0] % 16 + 1;
  const char* response = reinterpret_cast<const char*>(data + 1);
  const Outcome whole = Read(response, size - 1, size);
  const Outcome pieces = Read(response, size - 1, piece);
  if (!(whole == pieces)) abort();
  if (whole.body.size() >= size) abort();
  return 0;
}
