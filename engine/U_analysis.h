// Takes one received IRC line apart into the shared stIRC record and routes it
// to the IRC, CTCP or DCC analyser.
#pragma once

#include <memory>

#include "U_events.h"

struct __IRCData {
  char nick[64];
  char user[32];
  char host[128];
  char command[32];
  char param1[128];
  char rest[512];
};
using stIRC = __IRCData;

class CZoData;
class CZoAnalIRC;
class CZoAnalCTCP;
class CZoAnalDCC;

class CZoAnalysis {
 public:
  CZoAnalysis(CZoData* data, ZoSendLine sendLine);
  ~CZoAnalysis();
  CZoAnalysis(const CZoAnalysis&) = delete;
  CZoAnalysis& operator=(const CZoAnalysis&) = delete;

  // Cuts the line in place at its first CR (else LF), parses and routes it.
  void Analyse(char* line);

  CZoAnalIRC& IRC() { return *irc_; }
  CZoAnalCTCP& CTCP() { return *ctcp_; }
  CZoAnalDCC& DCC() { return *dcc_; }

  static void Parse(const char* line, stIRC* record);
  // The CTCP text of a record: after its leading 0x01, up to the next one.
  static void CTCPBody(const stIRC& record, char (&out)[sizeof stIRC::rest]);

 private:
  std::unique_ptr<CZoAnalIRC> irc_;
  std::unique_ptr<CZoAnalCTCP> ctcp_;
  std::unique_ptr<CZoAnalDCC> dcc_;
  stIRC record_{};
};
