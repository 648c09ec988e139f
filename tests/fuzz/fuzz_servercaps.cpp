// Server lines, one per input line, through the parameter parser and the
// capability negotiation: every parameter stays inside the record and every
// line the negotiation sends is one complete line within 512 bytes.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "C_servercaps.h"
#include "U_analysis.h"

namespace {

void CheckParams(const stIRC& record) {
  if (record.paramCount > sizeof record.paramAt / sizeof record.paramAt[0]) abort();
  for (size_t i = 0; i < record.paramCount; ++i) {
    if (record.paramAt[i] >= sizeof record.paramText) abort();
    if (!memchr(ZoParam(record, i), 0, sizeof record.paramText - record.paramAt[i])) abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CZoServerCaps caps([](const char* text) {
    const size_t length = strlen(text);
    if (length > 512 || length < 2 || strcmp(text + length - 2, "\r\n") != 0 || strpbrk(text, "\r\n") != text + length - 2)
      abort();
  });
  caps.SetLogin("account", "password");
  caps.Start();
  const std::string input(reinterpret_cast<const char*>(data), size);
  for (size_t at = 0; at < input.size();) {
    const size_t end = std::min(input.find('\n', at), input.size());
    std::string line = input.substr(at, std::min<size_t>(end - at, 4096));
    line.resize(strnlen(line.c_str(), line.size()));
    stIRC record;
    CZoAnalysis::Parse(line.c_str(), &record);
    CheckParams(record);
    caps.Handle(record);
    at = end + 1;
  }
  return 0;
}
