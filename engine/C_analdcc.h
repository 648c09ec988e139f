// DCC messages: parsed into stDCC and raised as OnDCC.
#pragma once

#include <cstdint>

#include "U_analysis.h"

struct __DCCData {
  char Nick[64];
  char Host[128];
  char Target[64];
  char Command[32];
  char Type[32];
  char Arg[256];
  char AddrText[18];
  uint16_t Port;
  uint32_t Value;
  uint32_t Addr;  // network byte order
};
using stDCC = __DCCData;

class CZoAnalDCC {
 public:
  explicit CZoAnalDCC(ZoSendLine sendLine) : SendLine(std::move(sendLine)) {}
  ~CZoAnalDCC() { OnDCC = nullptr; }

  static void Parse(const stIRC& irc, stDCC* dcc);
  // Parses the message and raises OnDCC, whatever its type.
  void Route(const stIRC& irc);

  ZoSendLine SendLine;
  ZoDCCEvent OnDCC;

 private:
  stDCC record_{};
};

// Reads a decimal number the way the C library's atol does, modulo 2^32;
// null (a missing field) reads as all bits set.
uint32_t ZoAtol32(const char* text);
