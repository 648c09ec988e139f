#include "C_analdcc.h"

#include <arpa/inet.h>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "U_commondata.h"

uint32_t ZoAtol32(const char* text) {
  if (!text) return UINT32_MAX;
  while (isspace(static_cast<unsigned char>(*text))) ++text;
  const bool negative = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  uint32_t value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) value = value * 10u + static_cast<uint32_t>(*text - '0');
  return negative ? 0u - value : value;
}

namespace {

// Fields split at single blanks; an empty field is the last one.
class DccFields {
 public:
  explicit DccFields(const char* arguments) { tokens_.setText(arguments); }
  const char* Next() {
    if (ended_) return nullptr;
    const char* field = tokens_.nextToken();
    ended_ = !field || !*field;
    return field;
  }

 private:
  ZoStringSpc tokens_;
  bool ended_ = false;
};

void SetAddress(stDCC* dcc, uint32_t hostOrder) {
  dcc->Addr = htonl(hostOrder);
  snprintf(dcc->AddrText, sizeof dcc->AddrText, "%u.%u.%u.%u", hostOrder >> 24, (hostOrder >> 16) & 255,
           (hostOrder >> 8) & 255, hostOrder & 255);
}

}  // namespace

void CZoAnalDCC::Parse(const stIRC& irc, stDCC* dcc) {
  *dcc = stDCC{};
  ZoCopy(dcc->Nick, irc.nick);
  ZoCopy(dcc->Host, irc.host);
  ZoCopy(dcc->Target, irc.param1);
  ZoCopy(dcc->Command, irc.command);

  const char* body = irc.rest[0] && irc.rest[1] ? irc.rest + 2 : "";
  char text[sizeof irc.rest];
  ZoCopy(text, body, strcspn(body, "\x01"));
  const char* blank = strchr(text, ' ');
  DccFields fields(blank ? blank + 1 : "");

  const char* type = fields.Next();
  if (!type) return;
  ZoCopy(dcc->Type, type);
  const bool send = strcasecmp(type, "SEND") == 0;
  const bool chat = strcasecmp(type, "CHAT") == 0;
  if (!send && !chat && strcasecmp(type, "RESUME") != 0 && strcasecmp(type, "ACCEPT") != 0) return;

  ZoCopy(dcc->Arg, fields.Next());
  if (send || chat) SetAddress(dcc, ZoAtol32(fields.Next()));
  dcc->Port = static_cast<uint16_t>(ZoAtol32(fields.Next()));
  if (!chat) dcc->Value = ZoAtol32(fields.Next());
}

void CZoAnalDCC::Route(const stIRC& irc) {
  Parse(irc, &record_);
  ZoRaise(OnDCC, &record_);
}
