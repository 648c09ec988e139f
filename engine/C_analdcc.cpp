#include "C_analdcc.h"

#include <arpa/inet.h>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <strings.h>

#include "C_dccchat.h"
#include "C_dccfile.h"
#include "C_socket.h"
#include "U_codepage.h"
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

CZoAnalDCC::CZoAnalDCC(ZoSendLine sendLine)
    : SendLine(std::move(sendLine)),
      chats_(std::make_unique<CZoDCCChats>(SendLine, [this] { return LocalAddress(); })),
      sends_(std::make_unique<CZoDCCSends>(SendLine, [this] { return LocalAddress(); })),
      recvs_(std::make_unique<CZoDCCRecvs>(SendLine)) {}

CZoAnalDCC::~CZoAnalDCC() { OnDCC = nullptr; }

uint32_t CZoAnalDCC::LocalAddress() const { return GetLocalAddress(ServerAddress ? ServerAddress() : 0); }

std::string QuoteFileName(const char* fileName) {
  std::string name = fileName ? fileName : "";
  name.resize(Cp949CutLength(name.data(), name.size(), sizeof stDCC::Arg - 1));
  return name.find(' ') == std::string::npos ? name : "\"" + name + "\"";
}

void SendDCCOffer(const ZoSendLine& sendLine, const char* nick, const char* format, ...) {
  if (!sendLine) return;
  char offer[400];
  va_list arguments;
  va_start(arguments, format);
  vsnprintf(offer, sizeof offer, format, arguments);
  va_end(arguments);
  char line[512];
  snprintf(line, sizeof line, "PRIVMSG %.63s :\x01%s\x01\r\n", nick ? nick : "", offer);
  sendLine(line);
}

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

  ZoCopy(dcc->Arg, chat ? fields.Next() : fields.NextName());
  if (send || chat) SetAddress(dcc, ZoAtol32(fields.Next()));
  dcc->Port = static_cast<uint16_t>(ZoAtol32(fields.Next()));
  if (!chat) dcc->Value = ZoAtol32(fields.Next());
}

void CZoAnalDCC::Route(const stIRC& irc) {
  Parse(irc, &record_);
  ZoRaise(OnDCC, &record_);
  Dispatch(record_);
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
