// Server bytes, in reads of varying size, through line framing, parsing,
// routing, the analysers and the session data, whose links are checked after
// every line.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "C_analirc.h"
#include "U_analysis.h"
#include "U_data.h"
#include "U_lineframer.h"
#include "session_invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t chunk = 1 + data[0] * 17;
  CZoData session;
  session.SetOwnerNick("me");
  CZoEvents events;
  CZoAnalysis analysis(events, &session, [](const char* text) {
    if (strlen(text) > 512) abort();
  });
  CZoLineFramer framer(512);
  for (size_t at = 1; at < size;) {
    const size_t count = std::min({chunk, size - at, framer.SpaceLeft()});
    memcpy(framer.Space(), data + at, count);
    framer.Add(count);
    at += count;
    while (char* line = framer.Next()) {
      analysis.Analyse(line);
      if (!SessionFault(session).empty()) abort();
    }
  }
  return 0;
}
