#include "U_analysis.h"

#include <cctype>
#include <cstring>
#include <strings.h>

#include "C_batches.h"
#include "C_analctcp.h"
#include "C_analdcc.h"
#include "C_analirc.h"
#include "C_servercaps.h"
#include "U_commondata.h"
#include "U_data.h"

CZoAnalysis::CZoAnalysis(CZoEvents& events, CZoData* data, ZoSendLine sendLine)
    : irc_(std::make_unique<CZoAnalIRC>(events, data, sendLine)),
      ctcp_(std::make_unique<CZoAnalCTCP>(events)),
      dcc_(std::make_unique<CZoAnalDCC>(events, sendLine)),
      caps_(std::make_unique<CZoServerCaps>(sendLine)),
      batches_(std::make_unique<CZoBatches>(data)),
      data_(data) {}

CZoAnalysis::~CZoAnalysis() = default;

namespace {

void ParsePrefix(const char* prefix, stIRC* record) {
  const size_t length = strlen(prefix);
  const char* at = strchr(prefix, '@');
  const size_t beforeAt = at ? static_cast<size_t>(at - prefix) : length;
  const char* bang = static_cast<const char*>(memchr(prefix, '!', beforeAt));
  if (!bang) {
    ZoCopy(record->host, prefix);
    return;
  }
  if (at) ZoCopy(record->host, at + 1);
  ZoCopy(record->nick, prefix, static_cast<size_t>(bang - prefix));
  ZoCopy(record->user, bang + 1, beforeAt - static_cast<size_t>(bang - prefix) - 1);
}

// Cheaper than clearing the whole record: its tag text alone is 8 KiB.
void Clear(stIRC* r) {
  r->nick[0] = r->user[0] = r->host[0] = r->command[0] = r->param1[0] = r->rest[0] = 0;
  r->paramCount = 0;
  r->tags.count = 0;
  r->time = 0;
  r->batch = r->endedBatch = nullptr;
  r->history = false;
}

// Takes the tag section off the front of the line, into the record.
const char* Untagged(const char* line, stIRC* r) {
  if (line[0] != '@') return line;
  const size_t length = strcspn(line + 1, " ");
  ZoParseTags(line + 1, length, &r->tags);
  r->time = ZoServerTime(ZoTag(r->tags, "time"));
  line += 1 + length;
  return line + strspn(line, " ");
}

// Only numerics and the negotiation's own commands concern the capabilities.
bool ConcernsCaps(const stIRC& record) {
  return isdigit(static_cast<unsigned char>(record.command[0])) || strcasecmp(record.command, "CAP") == 0 ||
         strcasecmp(record.command, "AUTHENTICATE") == 0;
}

}  // namespace

const char* ZoParam(const stIRC& record, size_t index) {
  return index < record.paramCount ? record.paramText + record.paramAt[index] : "";
}

void ZoJoinParams(const stIRC& record, size_t from, char (&out)[512]) {
  size_t used = 0;
  out[0] = 0;
  for (size_t i = from; i < record.paramCount; ++i) {
    if (used > 0 && used + 1 < sizeof out) out[used++] = ' ';
    ZoCopy(out + used, sizeof out - used, ZoParam(record, i));
    used = strlen(out);
  }
}

void CZoAnalysis::ParseParams(const char* text, stIRC* record) {
  constexpr size_t kMax = sizeof record->paramAt / sizeof record->paramAt[0];
  size_t used = 0;
  record->paramCount = 0;
  while (text && *text && record->paramCount < kMax && used < sizeof record->paramText) {
    while (*text == ' ') ++text;
    if (!*text) break;
    // The last place takes the rest, as a trailing parameter would.
    const bool trailing = *text == ':' || record->paramCount + 1 == kMax;
    if (*text == ':') ++text;
    const size_t length = trailing ? strlen(text) : strcspn(text, " ");
    record->paramAt[record->paramCount++] = static_cast<uint16_t>(used);
    ZoCopy(record->paramText + used, sizeof record->paramText - used, text, length);
    used += strlen(record->paramText + used) + 1;
    if (trailing) break;
    text += length;
  }
}

void CZoAnalysis::Parse(const char* line, stIRC* record) {
  Clear(record);
  line = Untagged(line, record);
  ZoStringSpc tokens;
  if (line[0] != ':') {
    tokens.setText(line);
    ZoCopy(record->command, tokens.nextToken());
    ParseParams(tokens.rest(), record);
    ZoCopy(record->rest, tokens.rest());
    return;
  }
  tokens.setText(line + 1);
  const char* prefix = tokens.nextToken();
  if (prefix) ParsePrefix(prefix, record);
  ZoCopy(record->command, tokens.nextToken());
  ParseParams(tokens.rest(), record);
  ZoCopy(record->param1, tokens.nextToken());
  ZoCopy(record->rest, tokens.rest());
}

void CZoAnalysis::CTCPBody(const stIRC& record, char (&out)[sizeof stIRC::rest]) {
  const char* body = record.rest[0] && record.rest[1] ? record.rest + 2 : "";
  ZoCopy(out, body, strcspn(body, "\x01"));
}

void CZoAnalysis::Analyse(char* line) {
  line[strcspn(line, strchr(line, '\r') ? "\r" : "\n")] = 0;
  const int64_t arrival = clock_();
  Parse(line, &record_);
  if (record_.time == 0) record_.time = arrival;
  const std::vector<std::string> stale = batches_->Stale(record_.time, arrival);
  if (!stale.empty()) {
    EndBatches(stale, arrival);
    Parse(line, &record_);
    if (record_.time == 0) record_.time = arrival;
  }
  Dispatch(arrival);
}

void CZoAnalysis::Dispatch(int64_t arrival) {
  batches_->Enter(&record_, arrival);
  // A receiver may analyse another line meanwhile.
  const ZoBatch* ended = record_.endedBatch;
  Route();
  batches_->Leave(ended);
}

void CZoAnalysis::EndBatches(const std::vector<std::string>& refs, int64_t arrival) {
  for (const std::string& ref : refs) {
    Parse(("BATCH -" + ref).c_str(), &record_);
    record_.time = arrival;
    Dispatch(arrival);
  }
}

void CZoAnalysis::Route() {
  if (ConcernsCaps(record_) && caps_->Handle(record_)) return;
  if (record_.rest[0] == 0 || record_.rest[1] != 1) {
    irc_->Handle(&record_);
  } else if (strncasecmp(record_.rest + 2, "DCC", 3) == 0) {
    // The owner's own offer repeated (echo-message) or replayed offers nothing.
    if (!record_.history && !data_->IsOwner(record_.nick)) dcc_->Route(record_);
  } else {
    ctcp_->Handle(record_);
  }
}
