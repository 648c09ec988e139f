#include "C_analdcc.h"

#include <arpa/inet.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <strings.h>

#include "C_dccchat.h"
#include "C_dccfile.h"
#include "C_socket.h"
#include "U_commondata.h"

bool ZoParseNumber(const char* text, uint64_t max, uint64_t* value) {
  if (!text || !*text) return false;
  uint64_t result = 0;
  for (; *text; ++text) {
    if (*text < '0' || *text > '9') return false;
    const uint64_t digit = static_cast<uint64_t>(*text - '0');
    if (result > (max - digit) / 10) return false;
    result = result * 10 + digit;
  }
  *value = result;
  return true;
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
  // A file name; other clients put one that holds blanks between double quotes.
  const char* NextName() {
    const char* rest = ended_ ? nullptr : tokens_.rest();
    const char* close = rest && rest[0] == '"' ? strchr(rest + 1, '"') : nullptr;
    if (!close || (close[1] != ' ' && close[1] != 0)) return Next();
    name_.assign(rest + 1, close);
    tokens_.setText(close[1] ? close + 2 : "");
    return name_.c_str();
  }

 private:
  ZoStringSpc tokens_;
  std::string name_;
  bool ended_ = false;
};

void SetAddress(stDCC* dcc, uint32_t hostOrder) {
  dcc->Addr = htonl(hostOrder);
  snprintf(dcc->AddrText, sizeof dcc->AddrText, "%u.%u.%u.%u", hostOrder >> 24, (hostOrder >> 16) & 255,
           (hostOrder >> 8) & 255, hostOrder & 255);
}

}  // namespace

CZoAnalDCC::CZoAnalDCC(CZoEvents& events, ZoSendLine sendLine)
    : SendLine(std::move(sendLine)),
      events_(events),
      chats_(std::make_unique<CZoDCCChats>(events, SendLine, [this] { return LocalAddress(); })),
      sends_(std::make_unique<CZoDCCSends>(events, SendLine, [this] { return LocalAddress(); })),
      recvs_(std::make_unique<CZoDCCRecvs>(events, SendLine)) {}

CZoAnalDCC::~CZoAnalDCC() = default;

uint32_t CZoAnalDCC::LocalAddress() const { return GetLocalAddress(ServerAddress ? ServerAddress() : 0); }

bool CZoAnalDCC::Parse(const stIRC& irc, stDCC* dcc) {
  *dcc = stDCC{};
  ZoCopy(dcc->Nick, irc.nick);
  ZoCopy(dcc->Host, irc.host);
  ZoCopy(dcc->Target, irc.param1);
  ZoCopy(dcc->Command, irc.command);

  char text[sizeof irc.rest];
  CZoAnalysis::CTCPBody(irc, text);
  const char* blank = strchr(text, ' ');
  DccFields fields(blank ? blank + 1 : "");

  const char* type = fields.Next();
  if (!type) return false;
  ZoCopy(dcc->Type, type);
  const bool send = strcasecmp(type, "SEND") == 0;
  const bool chat = strcasecmp(type, "CHAT") == 0;
  if (!send && !chat && strcasecmp(type, "RESUME") != 0 && strcasecmp(type, "ACCEPT") != 0) return false;

  ZoCopy(dcc->Arg, chat ? fields.Next() : fields.NextName());
  uint64_t number = 0;
  if (send || chat) {
    if (!ZoParseNumber(fields.Next(), UINT32_MAX, &number)) return false;
    SetAddress(dcc, static_cast<uint32_t>(number));
  }
  if (!ZoParseNumber(fields.Next(), UINT16_MAX, &number)) return false;
  dcc->Port = static_cast<uint16_t>(number);
  // Sizes beyond what a file offset holds are no real file.
  return chat || ZoParseNumber(fields.Next(), INT64_MAX, &dcc->Value);
}

void CZoAnalDCC::Route(const stIRC& irc) {
  const bool usable = Parse(irc, &record_);
  ZoRaise(events_.OnDCC, &record_);
  if (usable) Dispatch(record_);
}

void CZoAnalDCC::Dispatch(const stDCC& dcc) {
  if (strcasecmp(dcc.Type, "SEND") == 0) {
    recvs_->Offer(dcc.Nick, dcc.Arg, dcc.AddrText, dcc.Port, dcc.Value);
  } else if (strcasecmp(dcc.Type, "RESUME") == 0) {
    sends_->Resume(dcc.Port, dcc.Value);
  } else if (strcasecmp(dcc.Type, "ACCEPT") == 0) {
    recvs_->Accept(dcc.Port);
  } else if (strcasecmp(dcc.Type, "CHAT") == 0) {
    chats_->Offer(dcc.Nick, dcc.AddrText, dcc.Port);
  }
}
