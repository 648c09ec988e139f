// DCC messages: parsed into stDCC, raised as OnDCC and handed to the chat,
// send and receive tables.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "U_analysis.h"
#include "U_dcclink.h"

struct __DCCData {
  char Nick[64];
  char Host[128];
  char Target[64];
  char Command[32];
  char Type[32];
  char Arg[kDCCNameMax + 1];
  char AddrText[18];
  uint16_t Port;
  uint64_t Value;  // a size or position
  uint32_t Addr;  // network byte order
};
using stDCC = __DCCData;

class CZoDCCChats;
class CZoDCCSends;
class CZoDCCRecvs;

class CZoAnalDCC {
 public:
  CZoAnalDCC(CZoEvents& events, ZoSendLine sendLine);
  ~CZoAnalDCC();
  CZoAnalDCC(const CZoAnalDCC&) = delete;
  CZoAnalDCC& operator=(const CZoAnalDCC&) = delete;

  // False when a number of a known type does not fit its field or is missing:
  // such an offer is refused rather than read wrapped.
  static bool Parse(const stIRC& irc, stDCC* dcc);
  // Parses the message, raises OnDCC whatever its type, then hands a usable
  // SEND, RESUME, ACCEPT or CHAT to its table.
  void Route(const stIRC& irc);

  CZoDCCChats& Chats() { return *chats_; }
  CZoDCCSends& Sends() { return *sends_; }
  CZoDCCRecvs& Recvs() { return *recvs_; }

  ZoSendLine SendLine;
  // The server connection's local IPv4 address (host order, 0 when none),
  // which the offers advertise first.
  std::function<uint32_t()> ServerAddress;

 private:
  void Dispatch(const stDCC& dcc);
  uint32_t LocalAddress() const;

  CZoEvents& events_;
  std::unique_ptr<CZoDCCChats> chats_;
  std::unique_ptr<CZoDCCSends> sends_;
  std::unique_ptr<CZoDCCRecvs> recvs_;
  stDCC record_{};
};

// A decimal number of digits only, at most `max`; false for anything else.
bool ZoParseNumber(const char* text, uint64_t max, uint64_t* value);
