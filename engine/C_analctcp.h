// CTCP messages carried in PRIVMSG and NOTICE: split into stCTCP and raised
// as OnCTCP. The engine answers no CTCP request itself.
#pragma once

#include "U_analysis.h"

struct __CTCPData {
  char nick[64];
  char host[151];
  char command[20];
  char ctcp[20];
  char channel[202];
  char target[64];
  char params[512];
};
using stCTCP = __CTCPData;

class CZoAnalCTCP {
 public:
  explicit CZoAnalCTCP(CZoEvents& events) : events_(events) {}

  static void Build(const stIRC& irc, stCTCP* ctcp);
  // Builds the shared record from the IRC record and raises OnCTCP.
  void Handle(const stIRC& irc);

 private:
  CZoEvents& events_;
  stCTCP record_{};
};
