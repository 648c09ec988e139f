// Takes one received IRC line apart into the shared stIRC record and routes it
// to the IRC, CTCP or DCC analyser.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "U_engineevents.h"

struct __IRCData {
  char nick[64];
  char user[32];
  char host[128];
  char command[32];
  char param1[128];
  char rest[512];
  // The parameters as the protocol defines them: every word after the
  // command, the trailing one (after " :") whole and without its colon. Each
  // ends with a NUL inside paramText; read them through ZoParam.
  char paramText[512];
  uint16_t paramAt[15];
  uint8_t paramCount;
};
using stIRC = __IRCData;

// Parameter `index` of the record, "" past the last one.
const char* ZoParam(const stIRC& record, size_t index);
// Parameters `from` to the last, joined by single blanks.
void ZoJoinParams(const stIRC& record, size_t from, char (&out)[512]);

class CZoData;
class CZoAnalIRC;
class CZoAnalCTCP;
class CZoAnalDCC;
class CZoServerCaps;

class CZoAnalysis {
 public:
  // The analysers raise their events on `events`.
  CZoAnalysis(CZoEvents& events, CZoData* data, ZoSendLine sendLine);
  ~CZoAnalysis();
  CZoAnalysis(const CZoAnalysis&) = delete;
  CZoAnalysis& operator=(const CZoAnalysis&) = delete;

  // Cuts the line in place at its first CR (else LF), parses and routes it.
  void Analyse(char* line);

  CZoAnalIRC& IRC() { return *irc_; }
  CZoAnalCTCP& CTCP() { return *ctcp_; }
  CZoAnalDCC& DCC() { return *dcc_; }
  CZoServerCaps& Caps() { return *caps_; }

  static void Parse(const char* line, stIRC* record);
  // Fills the record's parameter list from what follows the command word.
  static void ParseParams(const char* text, stIRC* record);
  // The CTCP text of a record: after its leading 0x01, up to the next one.
  static void CTCPBody(const stIRC& record, char (&out)[sizeof stIRC::rest]);

 private:
  std::unique_ptr<CZoAnalIRC> irc_;
  std::unique_ptr<CZoAnalCTCP> ctcp_;
  std::unique_ptr<CZoAnalDCC> dcc_;
  std::unique_ptr<CZoServerCaps> caps_;
  stIRC record_{};
};
