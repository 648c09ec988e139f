#include "U_analysis.h"

#include <cstring>
#include <strings.h>

#include "C_analctcp.h"
#include "C_analdcc.h"
#include "C_analirc.h"
#include "U_commondata.h"

CZoAnalysis::CZoAnalysis(CZoData* data, ZoSendLine sendLine)
    : irc_(std::make_unique<CZoAnalIRC>(data, sendLine)),
      ctcp_(std::make_unique<CZoAnalCTCP>()),
      dcc_(std::make_unique<CZoAnalDCC>(sendLine)) {}

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

}  // namespace

void CZoAnalysis::Parse(const char* line, stIRC* record) {
  *record = stIRC{};
  ZoStringSpc tokens;
  if (line[0] != ':') {
    tokens.setText(line);
    ZoCopy(record->command, tokens.nextToken());
    ZoCopy(record->rest, tokens.rest());
    return;
  }
  tokens.setText(line + 1);
  const char* prefix = tokens.nextToken();
  if (prefix) ParsePrefix(prefix, record);
  ZoCopy(record->command, tokens.nextToken());
  ZoCopy(record->param1, tokens.nextToken());
  ZoCopy(record->rest, tokens.rest());
}

void CZoAnalysis::CTCPBody(const stIRC& record, char (&out)[sizeof stIRC::rest]) {
  const char* body = record.rest[0] && record.rest[1] ? record.rest + 2 : "";
  ZoCopy(out, body, strcspn(body, "\x01"));
}

void CZoAnalysis::Analyse(char* line) {
  line[strcspn(line, strchr(line, '\r') ? "\r" : "\n")] = 0;
  Parse(line, &record_);
  if (record_.rest[0] == 0 || record_.rest[1] != 1) {
    irc_->Handle(&record_);
  } else if (strncasecmp(record_.rest + 2, "DCC", 3) == 0) {
    dcc_->Route(record_);
  } else {
    ctcp_->Handle(record_);
  }
}
