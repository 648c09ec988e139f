// Tagged server lines through the tag parser, the record and the batches:
// every tag stays inside the record's tag text, and what batches hold stays
// within their bounds.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "C_batches.h"
#include "U_analysis.h"
#include "U_data.h"

namespace {

void CheckTags(const ZoTags& tags) {
  if (tags.count > ZoTags::kMaxTags) abort();
  for (size_t i = 0; i < tags.count; ++i) {
    for (const uint16_t at : {tags.keyAt[i], tags.valueAt[i]}) {
      if (at >= sizeof tags.text || !memchr(tags.text + at, 0, sizeof tags.text - at)) abort();
    }
    if (ZoTag(tags, tags.text + tags.keyAt[i]) == nullptr) abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static stIRC record;
  CZoData session;
  session.SetOwnerNick("me");
  session.AddChannel("#c");
  session.AddNames("#c", "me amy bob");
  CZoBatches batches(&session);
  const std::string input(reinterpret_cast<const char*>(data), size);
  for (size_t at = 0; at < input.size();) {
    const size_t end = std::min(input.find('\n', at), input.size());
    std::string line = input.substr(at, end - at);
    line.resize(strnlen(line.c_str(), line.size()));
    CZoAnalysis::Parse(line.c_str(), &record);
    CheckTags(record.tags);
    ZoServerTime(ZoTag(record.tags, "time"));
    batches.Enter(&record, record.time);
    batches.Stale(record.time, record.time);
    if (batches.OpenCount() > CZoBatches::kMaxOpen) abort();
    if (record.batch && record.batch->entries.size() > CZoBatches::kMaxEntries) abort();
    batches.Leave(record.endedBatch);
    at = end + 1;
  }
  return 0;
}
